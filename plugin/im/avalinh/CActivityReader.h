// Reads key and pointer input of the whole desktop on a background thread, runs each input
// through the activity check and wakes the notifier for those that count.
#pragma once

#include <memory>

class CActivityNotifier;
struct tagACTIVITYPOS;

class CActivityReader {
public:
    // Starts reading; nullptr when the desktop offers no input source or setting up failed,
    // with nothing left running. The reader owns `last` until it is destroyed, so the
    // position survives a stop and a new start.
    static std::unique_ptr<CActivityReader> start(CActivityNotifier& notifier,
                                                  tagACTIVITYPOS& last);

    // Stops the thread promptly and releases the input source.
    ~CActivityReader();

    struct Impl;

private:
    explicit CActivityReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};
