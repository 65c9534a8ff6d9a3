#pragma once

namespace tavimo {

// Where a long job reports its progress: the loading window in the program, a recorder in
// tests. Called on the interface thread.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Position 0 of maximum; shows the progress.
    virtual void BeginProgress(int maximum) = 0;
    // Moves to position (past the maximum means done).
    virtual void StepProgress(int position) = 0;
    // Hides the progress.
    virtual void EndProgress() = 0;
};

} // namespace tavimo
