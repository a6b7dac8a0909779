#pragma once

#include <string>
#include <string_view>

namespace vantor {

// The five things of the main window that an analysis uses. The window, the
// command-line tool and the tests each implement it; the analysis never
// reaches the window any other way.
class WindowState {
public:
    virtual ~WindowState() = default;

    // The typed player ID, as the bytes the logs use (Windows-1252).
    virtual std::string PlayerId() = 0;
    // The action tag records must carry, e.g. "[Pickup]".
    virtual std::string ActionTag() = 0;
    // Sets the status line. The caption is UTF-8 ("Processing " + file name).
    virtual void SetStatus(std::string_view caption) = 0;
    // Appends one entry, bytes as stored, at the end of the item list.
    virtual void AppendItem(std::string_view item) = 0;
    // Lets the window handle the events pending now, then returns. Returns
    // false when the window wants the scan to stop (it is being closed).
    virtual bool PassEvents() = 0;
};

}  // namespace vantor
