#include "plugin/im/avalinh/AvalinH.h"

#include "plugin/im/avalinh/ActivityCheck.h"
#include "plugin/im/avalinh/CActivityNotifier.h"
#include "plugin/im/avalinh/CActivityReader.h"

#include <QCoreApplication>
#include <QThread>

namespace {

// One per loaded library; the exports use it from the UI thread only. The reader thread
// sees the notifier and the pointer position it was handed.
struct HookState {
    CActivityNotifier notifier;
    tagACTIVITYPOS last; // kept across stop and start, like the rest of the hook's data
    std::unique_ptr<CActivityReader> reader;

    ~HookState() { reset(); }

    void reset() noexcept {
        reader.reset(); // stops the thread before the notifier it wakes goes away
        notifier.disarm();
    }
};

HookState& state() {
    static HookState s;
    return s;
}

// The notifier wakes through the event loop of the thread that arms it.
bool onApplicationThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void AvalinH_ResetHook() {
    try {
        state().reset();
    } catch (...) {
    }
}

int AvalinH_SetHook() {
    try {
        HookState& s = state();
        if (s.reader)
            return 1;
        if (!onApplicationThread() || !s.notifier.arm())
            return 0;
        s.reader = CActivityReader::start(s.notifier, s.last);
        if (s.reader)
            return 1;
    } catch (...) {
    }
    AvalinH_ResetHook();
    return 0;
}

HWND AvalinH_SetNotifyWnd(HWND hWnd) {
    try {
        state().notifier.setWindow(hWnd);
    } catch (...) {
    }
    return hWnd;
}
