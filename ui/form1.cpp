#include "ui/form1.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "vantor/code_page.h"
#include "vantor/follow.h"
#include "vantor/text.h"
#include "vantor/run_error.h"
#include "ui/comm_dlgs.h"
#include "ui/wording.h"

namespace vantor {

namespace {

#ifdef _WIN32
// Windows file names ignore case; the game's tools show a folder in capitals.
constexpr bool kFileNamesIgnoreCase = true;
#else
// Here an upper-cased folder would not exist: it is kept as chosen.
constexpr bool kFileNamesIgnoreCase = false;
#endif

// Settings remembered between starts.
constexpr std::string_view kFolderSetting = "folder";
constexpr std::string_view kPlayerSetting = "player";
constexpr std::string_view kCodePageSetting = "codepage";  // "automatic" or a number of kCodePages
constexpr std::string_view kActionSetting = "action";          // the option's tag, "[Pickup]"
constexpr std::string_view kExactNamesSetting = "exactNames";  // "1" or "0"

// Skipped records shown in the message; the rest are counted.
constexpr std::size_t kProblemsShown = 10;

// Player IDs offered under the box at most: the best of them fit under it
// without a scroll bar.
constexpr std::size_t kPlayersOffered = 10;

// One problem in plain words: where, which entry, what is wrong with it.
std::string DescribeProblem(const RunError& problem) {
    std::string text = EscapeControlBytes(problem.file());
    if (problem.line() == 0) return text + " could not be read to its end: " + EscapeControlBytes(problem.detail());
    text += ", line " + std::to_string(problem.line()) + ": " +
            Quoted(EscapeControlBytes(problem.item())) + "\n    " + EscapeControlBytes(problem.detail());
    return text;
}

// The message listing what could not be counted: the first ten, and how
// many more.
std::string ProblemsText(const TallyOutcome& outcome) {
    const auto [records, logs] = ProblemCounts(outcome.problems, outcome.problemCount);
    std::string text;
    if (records > 0) text += Counted(records, "record", "records") + " could not be counted and " +
                             (records == 1 ? "was" : "were") + " skipped";
    if (logs > 0) text += (text.empty() ? "" : "; ") + Counted(logs, "log", "logs") + " could not be read to the end";
    text += records + logs == 1 ? ". The totals leave it out.\n\n" : ". The totals leave them out.\n\n";
    const std::size_t shown = std::min(outcome.problems.size(), kProblemsShown);
    for (std::size_t i = 0; i < shown; ++i) text += DescribeProblem(outcome.problems[i]) + '\n';
    if (outcome.problemCount > shown) text += "... and " + std::to_string(outcome.problemCount - shown) + " more.\n";
    return text + "\nCtrl+C copies this message.";
}

// "Feather (+19)": the gain at a glance beside the name, none when nothing.
std::string ListText(const TallyRow& row, std::int64_t gain) {
    std::string text = row.item + (row.others.empty() ? "" : std::string(kOthersMark));
    if (gain != 0) text.append(" (").append(GainText(gain)).push_back(')');
    return text;
}

std::string ClockTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

}  // namespace

// What an analysis left for the window's thread.
struct Form1::Finished {
    std::shared_ptr<const TallyOutcome> outcome;
    std::optional<RunError> error;
};

// Tells the window, from the follower's thread, each tally the follower
// brings: the first, then one after each change of the logs.
class Form1::Following : public FollowObserver {
public:
    Following(Form1& form, unsigned generation) : form_(form), generation_(generation) {}

    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override {
        return form_.BeforeLog(name, index, count);
    }

    bool Updated(const TallyOutcome& outcome, bool changed) override {
        // Shown even when nothing changed: the status line's time tells
        // the player that the logs are being followed.
        auto shown = std::make_shared<const TallyOutcome>(outcome);
        form_.mView.Post([&form = form_, shown, changed, generation = generation_] {
            if (generation == form.mGeneration) form.OnUpdate(shown, changed);
        });
        return true;
    }

    void Failed(const RunError& error) override {
        form_.mView.Post([&form = form_, error, generation = generation_] {
            if (generation != form.mGeneration) return;
            form.mFollowing = false;
            form.mSession.reset();
            form.ShowSession();  // the list without its gains
            form.OnFinished({nullptr, error});
        });
    }

private:
    Form1& form_;
    const unsigned generation_;
};

Form1::Form1(FormView& view)
    : mView(view),
      mFinder([this](const std::string& folder, unsigned codePage, std::vector<PlayerCount> players) {
          auto found = std::make_shared<const std::vector<PlayerCount>>(std::move(players));
          mView.Post([this, folder, codePage, found] { OnPlayersFound(folder, codePage, *found); });
      }) {}

Form1::~Form1() { StopAnalysis(); }

void Form1::Form_Load(const StartArguments& arguments) {
    // The folder last read, while it is there; a folder that went (a game
    // moved, a stick taken out) gives way to where the game writes now.
    std::string folder = DefaultLogFolder();
    if (const auto remembered = mView.LoadSetting(kFolderSetting)) {
        std::error_code error;
        if (std::filesystem::is_directory(Utf8ToPath(*remembered), error)) folder = *remembered;
        mFolderRead = *remembered;
    }
    if (arguments.folder) folder = WithTrailingSeparator(*arguments.folder);
    mView.SetText(Control::txtLogDir, folder);
    const std::optional<std::string> player = arguments.player ? arguments.player : mView.LoadSetting(kPlayerSetting);
    if (player) mView.SetText(Control::txtPID, *player);
    if (const auto codePage = mView.LoadSetting(kCodePageSetting)) {
        const CodePageName* known = FindCodePage(static_cast<unsigned>(std::strtoul(codePage->c_str(), nullptr, 10)));
        mCodePageChosen = known != nullptr ? known->number : 0;
    }
    mLoaded = true;
    int option = 0;
    if (const auto tag = mView.LoadSetting(kActionSetting)) {
        const auto found = std::find_if(kActions.begin(), kActions.end(), [&](const Action& a) { return a.tag == *tag; });
        if (found != kActions.end()) option = static_cast<int>(found - kActions.begin());
    }
    mActionTag = kActions[static_cast<std::size_t>(option)].tag;
    // Shown selected from the start; its tag is set above.
    mView.SetChecked(OptionControl(option));
    mExactNames = mView.LoadSetting(kExactNamesSetting) == "1";
    if (arguments.follow) {
        Menu_Click(Command::Follow);
    } else {
        FindPlayers();
    }
}

bool Form1::Form_QueryUnload() {
    if (!mScanning) return true;
    // The analysis still uses the store: stop it after the current log, then close.
    mCloseRequested = true;
    mStop = true;
    return false;
}

void Form1::Form_Unload() {
    mFinder.Pause();
    StopAnalysis();
    SaveSettings();
    mLoaded = false;
}

// The inputs but the folder, which is remembered once it has been read.
void Form1::SaveSettings() {
    mView.SaveSetting(kPlayerSetting, mView.Text(Control::txtPID));
    mView.SaveSetting(kCodePageSetting, mCodePageChosen == 0 ? "automatic" : std::to_string(mCodePageChosen));
    mView.SaveSetting(kActionSetting, mActionTag);
    mView.SaveSetting(kExactNamesSetting, mExactNames ? "1" : "0");
}

void Form1::Option1_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(kActions.size())) mActionTag = kActions[Index].tag;
}

void Form1::Command1_Click() {
    if (!mLoaded || mScanning) return;
    StartAnalysis();
}

void Form1::StartAnalysis(bool keepList) {
    StopAnalysis();
    // Following what is listed keeps the list until the first tally comes,
    // which then only adds to it.
    if (!keepList) {
        mView.SetListItems({});
        mListTexts.clear();
        mOutcome.reset();
        mProblemsShown = 0;
        mView.SetText(Control::Text1, "");
    }
    SaveSettings();
    // Following, a session begins with the first tally of these inputs.
    mSession.reset();
    // The players' pass gives way to the analysis, and comes again after it.
    mFinder.Pause();
    mFindPlayersAfterGo = true;
    mTyping = false;
    mOffered.clear();
    mView.ShowSuggestions({});

    // The inputs hold for the whole analysis; what is changed meanwhile
    // applies to the next Go!.
    mPlayerShown = mView.Text(Control::txtPID);
    const std::string folder = mView.Text(Control::txtLogDir);
    const Query query{mPlayerShown, mActionTag, {}, CodePageUsed(folder)};
    const auto action = std::find_if(kActions.begin(), kActions.end(), [&](const Action& a) { return a.tag == mActionTag; });
    mActionShown = action != kActions.end() ? action->caption : std::string_view(mActionTag);
    mWhose = mPlayerShown + ", " + mActionShown + (mExactNames ? ", exact names" : "");
    mFolderShown = folder;
    const ScanOptions options{0, mExactNames};

    mStop = false;
    mProgressWanted = true;
    mProgressShownAt = std::chrono::steady_clock::duration::zero();
    const unsigned generation = ++mGeneration;
    if (mFollowing) {
        try {
            mFollower = std::make_unique<LogFollower>(folder, query, options);
        } catch (const RunError& error) {
            mView.Post([this, error, generation] {
                if (generation != mGeneration) return;
                mFollowing = false;
                ShowSession();  // the list without its gains
                OnFinished({nullptr, error});
            });
            return;
        }
        mFollowObserver = std::make_unique<Following>(*this, generation);
        mFollower->Start(*mFollowObserver);
        return;
    }
    mScanning = true;
    mView.SetEnabled(Control::Command1, false);
    mView.SetEnabled(Control::btnBrowse, false);
    mWorker = std::thread([this, folder, query, options, generation] {
        auto finished = std::make_shared<Finished>();
        try {
            finished->outcome = std::make_shared<const TallyOutcome>(TallyFolder(folder, query, this, options));
        } catch (const RunError& error) {
            finished->error = error;
        }
        mView.Post([this, finished, generation] {
            if (generation == mGeneration) OnFinished(*finished);
        });
    });
}

void Form1::StopAnalysis() {
    if (!mWorker.joinable() && !mFollower) return;
    mStop = true;
    if (mFollower) {
        mFollower->RequestStop();
        mFollower->Join();
        mFollower.reset();
        mFollowObserver.reset();
    }
    if (mWorker.joinable()) mWorker.join();
    // Whatever it posted since is left unshown: a new analysis comes, or none.
    ++mGeneration;
    if (mScanning) {
        mScanning = false;
        mView.SetEnabled(Control::Command1, true);
        mView.SetEnabled(Control::btnBrowse, true);
    }
}

bool Form1::BeforeLog(std::string_view name, std::size_t, std::size_t) {
    // The status line names the log being read, at most every 50 ms and
    // one update on its way at a time: thousands of small logs would keep
    // the window busy repainting it. The first log is always shown.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    if (now - mProgressShownAt.load() < std::chrono::milliseconds(50) || mProgressPosted.exchange(true)) return !mStop;
    mProgressShownAt = now;
    {
        const std::lock_guard lock(mProgressLock);
        mProgressName = name;
    }
    mView.Post([this] {
        mProgressPosted = false;
        if (!mProgressWanted) return;
        const std::lock_guard lock(mProgressLock);
        mView.SetText(Control::Label3, "Processing " + mProgressName);
    });
    return !mStop;
}

void Form1::OnFinished(const Finished& finished) {
    if (mWorker.joinable()) mWorker.join();
    mScanning = false;
    mProgressWanted = false;
    mView.SetEnabled(Control::Command1, true);
    mView.SetEnabled(Control::btnBrowse, true);
    if (mCloseRequested) {
        mView.CloseWindow();
        return;
    }
    mView.SetFocus(Control::Command1);
    if (std::exchange(mFindPlayersAfterGo, false)) FindPlayers();
    if (finished.error && finished.error->kind() == ErrorKind::InvalidArgument) {
        // The player cannot be written in the logs' code page: no log could hold it.
        mView.SetText(Control::Label3, finished.error->detail() + "; choose another under " + std::string(kCodePageMenu));
        return;
    }
    if (finished.error) {
        mView.SetText(Control::Label3, "No logs read");
        mView.ShowMessage(kFormCaption, DescribeFolderError(*finished.error), MessageKind::Error);
        return;
    }
    OnUpdate(finished.outcome);
}

void Form1::OnUpdate(std::shared_ptr<const TallyOutcome> outcome, bool changed) {
    mProgressWanted = false;
    if (std::exchange(mFindPlayersAfterGo, false)) FindPlayers();  // with what the game wrote since
    if (mFolderShown != mFolderRead) {
        mFolderRead = mFolderShown;
        mView.SaveSetting(kFolderSetting, mFolderRead);
    }
    if (mFollowing) {
        mUpdatedAt = ClockTime();
        if (!mSession) {
            mSession = SessionStart(outcome->rows);
            mSessionSince = mUpdatedAt;
            BeginAllActionsSession();
        } else if (changed && mAllActions) {
            mAllActions->TallyChanged();
        }
    }
    ShowRows(*outcome);
    mOutcome = std::move(outcome);
    mView.SetText(Control::Label3, Summary(*mOutcome));
    if (mByLog) mByLog->SetOutcome(mOutcome, mWhose, mPlayerShown, mActionShown, Gains(*mOutcome));
    // Shown once after Go!; while following, the status line counts them and
    // the menu shows them, rather than a box popping up during play.
    if (mOutcome->problemCount > mProblemsShown && !mFollowing) {
        mView.ShowMessage(kFormCaption, ProblemsText(*mOutcome), MessageKind::Warning);
    }
    mProblemsShown = mOutcome->problemCount;
}

// The list shows the new rows. Rows already listed stay, with the
// selection and the scroll position, when the new ones only add to them
// (those whose gain changed take their new text); otherwise the list is
// filled again and the selected item selected again.
void Form1::ShowRows(const TallyOutcome& outcome) {
    const std::vector<TallyRow>* old = mOutcome ? &mOutcome->rows : nullptr;
    const auto sameItem = [](const TallyRow& a, const TallyRow& b) {
        return a.item == b.item && a.others.empty() == b.others.empty();
    };
    const bool extends = old != nullptr && old->size() <= outcome.rows.size() && old->size() == mListTexts.size() &&
                         std::equal(old->begin(), old->end(), outcome.rows.begin(), sameItem);
    const auto gains = Gains(outcome);
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < outcome.rows.size(); ++row) {
        texts.push_back(ListText(outcome.rows[row], gains ? (*gains)[row] : 0));
    }
    int selected = mView.ListIndex();
    if (extends) {
        std::vector<std::pair<int, std::string>> changed;
        for (std::size_t row = 0; row < old->size(); ++row) {
            if (texts[row] != mListTexts[row]) changed.emplace_back(static_cast<int>(row), texts[row]);
        }
        if (!changed.empty()) mView.ReplaceListItems(changed);
        if (texts.size() > old->size()) {
            mView.AppendListItems({texts.begin() + static_cast<std::ptrdiff_t>(old->size()), texts.end()});
        }
    } else {
        mView.SetListItems(texts);
        const TallyRow* was = Row(selected);
        selected = was != nullptr && static_cast<std::size_t>(selected) < outcome.rows.size() &&
                           outcome.rows[static_cast<std::size_t>(selected)].item == was->item
                       ? selected
                       : -1;
        if (selected >= 0) mView.SetListIndex(selected);
    }
    mListTexts = std::move(texts);
    if (selected >= 0) mView.SetText(Control::Text1, std::to_string(outcome.rows[static_cast<std::size_t>(selected)].total));
}

std::optional<std::vector<std::int64_t>> Form1::Gains(const TallyOutcome& outcome) const {
    if (!mFollowing) return std::nullopt;
    return mSession ? mSession->Gains(outcome.rows) : std::vector<std::int64_t>(outcome.rows.size());
}

void Form1::BeginAllActionsSession() {
    // Read whether the window is open or not, so that it opens on the gains
    // of the session the list shows.
    if (!mAllActions) mAllActions = std::make_unique<AllActionsForm>(mView);
    mAllActions->BeginSession(mFolderShown, mPlayerShown, CodePageUsed(mFolderShown));
}

void Form1::ShowSession() {
    if (mAllActions) mAllActions->Follow(mFollowing);
    if (!mOutcome) return;
    ShowRows(*mOutcome);
    mView.SetText(Control::Label3, Summary(*mOutcome));
    if (mByLog) mByLog->SetOutcome(mOutcome, mWhose, mPlayerShown, mActionShown, Gains(*mOutcome));
}

// Short enough for the status line at the window's small font: whose list
// it is first, then what it holds.
std::string Form1::Summary(const TallyOutcome& outcome) const {
    const std::string logs = Counted(outcome.logsRead, "log", "logs");
    if (outcome.logs.empty()) return "No ActionLog*.txt in this folder";
    std::string status;
    if (!outcome.rows.empty()) {
        status = mWhose + ": " + Counted(outcome.rows.size(), "item", "items") + " in " + logs;
    } else if (std::string none = NoRecordText(mPlayerShown, outcome.similarPlayers, logs); !none.empty()) {
        status = std::move(none);
    } else {
        status = mWhose + ": nothing in " + logs;
    }
    status += SkippedText(outcome.problems, outcome.problemCount);
    if (mFollowing && mSession) status += ", updated " + mUpdatedAt + ", session since " + mSessionSince;
    return status;
}

const TallyRow* Form1::Row(int row) const {
    if (!mOutcome || row < 0 || static_cast<std::size_t>(row) >= mOutcome->rows.size()) return nullptr;
    return &mOutcome->rows[static_cast<std::size_t>(row)];
}

void Form1::List1_Click() {
    if (const TallyRow* row = Row(mView.ListIndex())) mView.SetText(Control::Text1, std::to_string(row->total));
}

void Form1::List1_Copy() {
    if (!mOutcome || mOutcome->rows.empty()) return;
    const auto gains = Gains(*mOutcome);
    std::string text;
    for (std::size_t i = 0; i < mOutcome->rows.size(); ++i) {
        const TallyRow& row = mOutcome->rows[i];
        text += row.item + '\t' + std::to_string(row.total);
        if (gains) text += '\t' + std::to_string((*gains)[i]);
        text += "\r\n";  // as spreadsheets copy rows
    }
    mView.SetClipboardText(text);
}

std::string Form1::ItemTip(int row) const {
    const TallyRow* shown = Row(row);
    if (shown == nullptr) return {};
    std::string tip = shown->item + ": " + std::to_string(shown->total);
    if (shown->others.empty()) return tip;
    tip += " (includes ";
    for (std::size_t i = 0; i < shown->others.size() && i < 3; ++i) {
        tip += (i > 0 ? ", " : "") + Quoted(shown->others[i].name) + " x" +
               std::to_string(shown->others[i].quantity);
    }
    if (shown->others.size() > 3) tip += " and " + std::to_string(shown->others.size() - 3) + " more";
    return tip + ")";
}

void Form1::btnBrowse_Click() {
    if (mScanning) return;
    std::string chosen = CommDlgs::ShowFileDialog(mView, 1, "Open Vantor log file", "*.txt",
                                                  std::string("Vantor Log Files") + '\0' + "*.txt",
                                                  mView.Text(Control::txtLogDir), "");
    if (chosen.empty()) return;
    std::string separator(1, kPathSeparator);
    const int position = CommDlgs::FindLast(chosen, separator, !kFileNamesIgnoreCase, false,
                                            [this](std::string_view text) { return mView.UpperCase(text); });
    mView.SetText(Control::txtLogDir, chosen.substr(0, static_cast<std::size_t>(position)));
    FindPlayers();
}

void Form1::FindPlayers() {
    if (mScanning) {
        mFindPlayersAfterGo = true;  // the analysis has the disk and the cores first
        return;
    }
    const std::string folder = mView.Text(Control::txtLogDir);
    const unsigned codePage = CodePageUsed(folder);
    if (folder != mPlayersFolder) mPlayers.clear();  // another folder's
    mPlayersFolder = folder;
    mFinder.Find(folder, codePage);
}

void Form1::OnPlayersFound(const std::string& folder, unsigned codePage, const std::vector<PlayerCount>& players) {
    if (folder != mPlayersFolder || !mLoaded) return;  // a pass asked for before another
    mPlayers.clear();
    if (!players.empty()) mPlayersPage = CodePage(codePage);  // one the system converts: it read them
    for (const PlayerCount& count : players) {
        mPlayers.push_back({count.player, mPlayersPage.ToUtf8(mPlayersPage.Folded(count.bytes))});
    }
    if (mTyping) OfferPlayers();
}

void Form1::txtPID_Change() {
    if (!mLoaded) return;
    mTyping = true;
    if (mView.Text(Control::txtLogDir) != mPlayersFolder) FindPlayers();  // a folder typed since
    OfferPlayers();
}

// The IDs that start with the typed text, then those that hold it
// elsewhere, whatever the letter case, each most records first; none for an
// empty box, nor where the ID typed is the one match.
void Form1::OfferPlayers() {
    const std::string typed = mView.Text(Control::txtPID);
    const std::optional<std::string> bytes = mPlayersPage.FromUtf8(typed).bytes;
    mOffered.clear();
    if (!typed.empty() && bytes) {
        const std::string key = mPlayersPage.ToUtf8(mPlayersPage.Folded(*bytes));
        for (const bool prefix : {true, false}) {
            for (const KnownPlayer& known : mPlayers) {
                const std::size_t at = known.folded.find(key);
                if (at != std::string::npos && (at == 0) == prefix && mOffered.size() < kPlayersOffered) {
                    mOffered.push_back(known.player);
                }
            }
        }
    }
    if (mOffered.size() == 1 && mOffered[0] == typed) mOffered.clear();
    mView.ShowSuggestions(mOffered);
}

void Form1::txtPID_Choose(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= mOffered.size()) return;
    mView.SetText(Control::txtPID, mOffered[static_cast<std::size_t>(index)]);
    mTyping = false;
    mOffered.clear();
    mView.ShowSuggestions({});
}

void Form1::Menu_Click(Command command) {
    switch (command) {
        case Command::Copy: List1_Copy(); break;
        case Command::ByLog:
            if (!mByLog) mByLog = std::make_unique<ByLogForm>(mView);
            mByLog->SetOutcome(mOutcome, mWhose, mPlayerShown, mActionShown, mOutcome ? Gains(*mOutcome) : std::nullopt);
            mView.ShowByLog(*mByLog);
            break;
        case Command::AllActions: {
            // The player and folder of the last Go! or Follow (mGeneration
            // counts the analyses started), else those in the boxes.
            const std::string folder = mGeneration > 0 ? mFolderShown : mView.Text(Control::txtLogDir);
            const std::string player = mGeneration > 0 ? mPlayerShown : mView.Text(Control::txtPID);
            if (!mAllActions) mAllActions = std::make_unique<AllActionsForm>(mView);
            mAllActions->Follow(mFollowing);
            mAllActions->Read(folder, player, CodePageUsed(folder));
            mView.ShowAllActions(*mAllActions);
            break;
        }
        case Command::SkippedRecords:
            if (mOutcome && mOutcome->problemCount > 0) {
                mView.ShowMessage(kFormCaption, ProblemsText(*mOutcome), MessageKind::Warning);
            }
            break;
        case Command::ExactNames:
            mExactNames = !mExactNames;
            // The list shows the other tally at once.
            if ((mOutcome || mFollowing) && !mScanning) StartAnalysis();
            break;
        case Command::Follow:
            mFollowing = !mFollowing;
            if (mFollowing) {
                StartAnalysis(true);  // with the inputs of now, as Go! takes them
                // By log's Session column at once, its gains 0 until the first tally.
                if (mByLog && mOutcome) mByLog->SetOutcome(mOutcome, mWhose, mPlayerShown, mActionShown, Gains(*mOutcome));
                if (mAllActions) mAllActions->Follow(true);
            } else {
                StopAnalysis();
                mSession.reset();
                ShowSession();
            }
            break;
        case Command::NewSession:
            // Before the follow's first tally, the session begins with it anyway.
            if (!mFollowing || !mSession || !mOutcome) break;
            mSession = SessionStart(mOutcome->rows);
            mSessionSince = ClockTime();
            BeginAllActionsSession();
            ShowSession();
            break;
        case Command::About: {
            const CodePage used(CodePageUsed(mView.Text(Control::txtLogDir)));
            const CodePageName* page = FindCodePage(used.number());
            const std::string languages = page != nullptr ? ", " + std::string(page->languages) : "";
            mView.ShowMessage(kAboutTitle,
                              AboutText() + "\n\nThe logs are read in " + used.Name() + languages +
                                  (mCodePageChosen == 0 ? " (automatic)." : " (chosen under " + std::string(kCodePageMenu) + ")."),
                              MessageKind::Information);
            break;
        }
        default:
            if (const auto codePage = CodePageOfCommand(command)) {
                mCodePageChosen = *codePage;
                SaveSettings();
                FindPlayers();  // the IDs in the letters of that code page
                // The list shows the names in the code page chosen at once.
                if ((mOutcome || mFollowing) && !mScanning) StartAnalysis();
            }
            break;
    }
}

unsigned Form1::CodePageUsed(const std::string& folder) const {
    return mCodePageChosen != 0 ? mCodePageChosen : AutomaticCodePage(folder);
}

bool Form1::MenuEnabled(Command command) const {
    switch (command) {
        case Command::Copy: return mOutcome && !mOutcome->rows.empty();
        case Command::SkippedRecords: return mOutcome && mOutcome->problemCount > 0;
        case Command::NewSession: return mFollowing;
        default: return true;
    }
}

bool Form1::MenuChecked(Command command) const {
    if (const auto codePage = CodePageOfCommand(command)) return *codePage == mCodePageChosen;
    return (command == Command::ExactNames && mExactNames) || (command == Command::Follow && mFollowing);
}

std::string DescribeFolderError(const RunError& error) {
    // "log folder '...' does not exist" as a sentence; paths need no escaping
    // but control characters do, to stay on their line.
    std::string text = EscapeControlBytes(error.detail());
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text + ".";
}

}  // namespace vantor
