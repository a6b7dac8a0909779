#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "vantor/session.h"
#include "vantor/code_page.h"
#include "vantor/tally.h"
#include "ui/all_actions.h"
#include "ui/by_log.h"
#include "ui/form_view.h"
#include "ui/player_finder.h"
#include "ui/start_arguments.h"

namespace vantor {

class LogFollower;
class RunError;

// The program's one window, whatever the toolkit: log folder, player ID and
// action in, item list and the clicked item's total out. A view creates the
// controls of kControls and the menu of kCommands, calls the handlers on the
// matching events, and carries out what Form1 asks of it through FormView.
//
// An analysis runs on a thread of its own, so that the window answers at
// once whatever the folder holds; what it finds reaches the window's thread
// through FormView::Post.
class Form1 : private ScanObserver {
public:
    explicit Form1(FormView& view);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Fills in the defaults, what was remembered from the last run (the
    // folder last read, the player, the action, Exact Names), then what the
    // command line gave; the view calls it once its controls exist.
    void Form_Load(const StartArguments& arguments = {});
    // The window is asked to close. Returns whether it may close now; during
    // an analysis it closes (CloseWindow) once the current log is read.
    bool Form_QueryUnload();
    void Form_Unload();

    void Command1_Click();
    void btnBrowse_Click();
    // The list's selection changed, by mouse or keyboard.
    void List1_Click();
    void Option1_Click(int Index);
    // The player changed the Player ID box's text (typing, pasting): the
    // logs' IDs that hold it, whatever the letter case, are offered
    // (FormView::ShowSuggestions); those that start with it first.
    void txtPID_Change();
    // The player picked the offered ID `index`: it goes into the box.
    void txtPID_Choose(int index);
    // Ctrl+C or the list's Copy command: every listed item and its total
    // (while following, and its gain this session), a tab between them, one
    // line each, as spreadsheets paste them. An empty list leaves the
    // clipboard alone.
    void List1_Copy();

    // The menu.
    void Menu_Click(Command command);
    bool MenuEnabled(Command command) const;
    bool MenuChecked(Command command) const;

    // The tip for the list's row `row`: the name as listed and its total,
    // and the other names its total took; empty when there is no such row.
    std::string ItemTip(int row) const;

    // Whether an analysis started by Go! is still running.
    bool Scanning() const { return mScanning; }

private:
    struct Finished;
    class Following;

    // Before each log, on the analysis's thread: shows its name on the
    // status line, and stops when the window is being closed.
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override;

    void StartAnalysis(bool keepList = false);
    void StopAnalysis();
    void OnFinished(const Finished& finished);
    // `changed`: whether the tally differs from the last one (a follow's).
    void OnUpdate(std::shared_ptr<const TallyOutcome> outcome, bool changed = true);
    void ShowRows(const TallyOutcome& outcome);
    // While following, the session's gain of each of `outcome`'s rows: 0
    // until the session's first tally; nothing when not following.
    std::optional<std::vector<std::int64_t>> Gains(const TallyOutcome& outcome) const;
    // The follow's session began: All Actions reads the ledger it starts with.
    void BeginAllActionsSession();
    // The session began again or ended: the list's gains, By log's, All
    // Actions' and the status line shown anew.
    void ShowSession();
    std::string Summary(const TallyOutcome& outcome) const;
    void SaveSettings();
    // The code page of the logs of `folder`: the one chosen, else the automatic one.
    unsigned CodePageUsed(const std::string& folder) const;
    // A pass over the logs of the folder in the box, for the IDs to offer.
    void FindPlayers();
    void OnPlayersFound(const std::string& folder, unsigned codePage, const std::vector<PlayerCount>& players);
    void OfferPlayers();

    // The listed name and the total of the list's row `row`; nothing for a
    // row the list does not have.
    const TallyRow* Row(int row) const;

    FormView& mView;
    bool mLoaded = false;  // Form_Load has run
    unsigned mCodePageChosen = 0;  // 0: automatic
    std::string mActionTag;
    bool mExactNames = false;
    bool mFollowing = false;

    // What the list shows, and whose it is ("Alia, Picked Up").
    std::shared_ptr<const TallyOutcome> mOutcome;
    std::string mWhose;
    std::string mPlayerShown;     // the player ID of the analysis as typed
    std::string mActionShown;     // its action's caption, "Picked Up"
    std::string mFolderShown;     // and its folder
    std::string mFolderRead;      // the folder remembered: the last one read
    std::size_t mProblemsShown = 0;  // the problems of this analysis already reported
    std::vector<std::string> mListTexts;  // the list's entries as shown
    // While following: the totals this session began with (at the follow's
    // first tally, or New Session), when it began and the time of the last
    // update, "16:39:50".
    std::optional<SessionStart> mSession;
    std::string mSessionSince;
    std::string mUpdatedAt;
    std::unique_ptr<ByLogForm> mByLog;
    std::unique_ptr<AllActionsForm> mAllActions;

    // The running analysis.
    std::thread mWorker;
    std::atomic<bool> mStop{false};
    bool mScanning = false;
    bool mCloseRequested = false;
    std::mutex mProgressLock;
    std::string mProgressName;          // the log last shown as being read
    std::atomic<std::chrono::steady_clock::duration> mProgressShownAt{};
    std::atomic<bool> mProgressPosted{false};
    std::atomic<bool> mProgressWanted{false};  // no outcome shown yet: the status line names the log
    // Work posted by an analysis that has been stopped since is not shown.
    unsigned mGeneration = 0;
    // While following: the follower, on a thread of its own, and what it
    // tells the window through.
    std::unique_ptr<Following> mFollowObserver;
    std::unique_ptr<LogFollower> mFollower;

    // The IDs of the logs, to offer as the player types one.
    struct KnownPlayer {
        std::string player;  // UTF-8
        std::string folded;  // its letters in the code page's lower case, UTF-8
    };
    std::vector<KnownPlayer> mPlayers;  // of mPlayersFolder, most records first
    std::string mPlayersFolder;         // the folder of the last pass asked for
    CodePage mPlayersPage;              // and its code page
    bool mFindPlayersAfterGo = false;   // a Go! paused the pass: it comes after
    bool mTyping = false;               // the box was typed into since a pick or Go!
    std::vector<std::string> mOffered;  // what is offered now
    // Last, to stop before what it posts to goes.
    PlayerFinder mFinder;
};

// The message for an analysis that could not start (the folder does not
// exist, is not a folder, or cannot be listed), as a sentence. UTF-8.
std::string DescribeFolderError(const RunError& error);

}  // namespace vantor
