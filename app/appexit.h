#pragma once

// How the program ends on its exit command: at once, without unloading the windows one by
// one (the ticker refuses a close request, so asking every window to close would end
// nothing). Tests replace it to see the exit without ending the test process.
class AppExit {
public:
    virtual ~AppExit() = default;
    // Hides every window and leaves the event loop with code 0; main() then returns.
    virtual void exitNow();
};
