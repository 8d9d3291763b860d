// Desktop input on X11: XInput2 raw events on the root window of a private display
// connection. Raw events reach every client that selects them, whatever window has the focus
// or holds a grab, so they see all input of the desktop.
#include "plugin/im/avalinh/CActivityReader.h"

#include "plugin/im/avalinh/ActivityCheck.h"
#include "plugin/im/avalinh/CActivityNotifier.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// Raw button numbers are those of the device: 1 left, 2 middle, 3 right, 4 to 7 the wheels.
uint32_t buttonUpMessage(int button) {
    switch (button) {
    case 1:
        return ActivityMsg::LButtonUp;
    case 2:
        return ActivityMsg::MButtonUp;
    case 3:
        return ActivityMsg::RButtonUp;
    case 4:
    case 5:
        return ActivityMsg::MouseWheel;
    case 6:
    case 7:
        return ActivityMsg::MouseHWheel;
    default:
        return ActivityMsg::XButtonUp;
    }
}

} // namespace

struct CActivityReader::Impl {
    CActivityNotifier* notifier = nullptr;
    tagACTIVITYPOS* last = nullptr;
    Display* dpy = nullptr;
    Window root = 0;
    int xiOpcode = 0;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    bool broken = false; // the connection is lost; set by the reader, read after it ended
    std::thread thread;

    ~Impl() {
        if (thread.joinable()) {
            stopping.store(true);
            const uint64_t one = 1;
            while (write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
            }
            thread.join();
        }
        // On a dead connection Xlib's default handler would end the process, so the
        // connection is only dropped then; that leaks one Display record per lost server.
        if (dpy && broken)
            close(ConnectionNumber(dpy));
        else if (dpy)
            XCloseDisplay(dpy);
        if (wakeFd >= 0)
            close(wakeFd);
    }

    bool open();
    void run() noexcept;
    void handle(XEvent& ev, bool& moved) noexcept;
    void pointerMoved() noexcept;
    void feed(const tagACTIVITYINPUT& input) noexcept;
};

bool CActivityReader::Impl::open() {
    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return false;
    // Should Xlib meet a lost connection and the application's I/O error handler return,
    // only this reader ends; Xlib's own fallback would end the process.
    XSetIOErrorExitHandler(
        dpy, [](Display*, void* self) { static_cast<Impl*>(self)->broken = true; }, this);

    int firstEvent = 0;
    int firstError = 0;
    if (!XQueryExtension(dpy, "XInputExtension", &xiOpcode, &firstEvent, &firstError))
        return false;
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(dpy, &major, &minor) != Success || major < 2)
        return false;

    root = DefaultRootWindow(dpy);
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonRelease);
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    if (XISelectEvents(dpy, root, &mask, 1) != Success)
        return false;
    // Input from the moment the hook reports success on is seen.
    XSync(dpy, False);
    if (broken)
        return false;

    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return wakeFd >= 0;
}

void CActivityReader::Impl::run() noexcept {
    // A hang-up is noticed here, before Xlib reads the end of the stream and reports it.
    pollfd fds[2] = {{ConnectionNumber(dpy), POLLIN | POLLRDHUP, 0}, {wakeFd, POLLIN, 0}};
    while (!stopping.load() && !broken) {
        bool moved = false;
        while (!stopping.load() && !broken && XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            handle(ev, moved);
        }
        if (stopping.load() || broken)
            break;
        if (moved) {
            // The query may queue further events; drain them before sleeping.
            pointerMoved();
            continue;
        }
        fds[0].revents = 0;
        fds[1].revents = 0;
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLRDHUP | POLLNVAL)) != 0) {
            broken = true;
            break;
        }
    }
}

void CActivityReader::Impl::handle(XEvent& ev, bool& moved) noexcept {
    XGenericEventCookie& cookie = ev.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != xiOpcode)
        return;
    switch (cookie.evtype) {
    case XI_RawKeyPress:
        feed({ActivitySourceKeyboard, ActivityMsg::KeyDown, 0, 0});
        break;
    case XI_RawKeyRelease:
        feed({ActivitySourceKeyboard, ActivityMsg::KeyUp, 0, 0});
        break;
    case XI_RawButtonRelease: {
        int button = 0;
        if (XGetEventData(dpy, &cookie)) {
            button = static_cast<const XIRawEvent*>(cookie.data)->detail;
            XFreeEventData(dpy, &cookie);
        }
        feed({ActivitySourceMessage, buttonUpMessage(button), 0, 0});
        break;
    }
    case XI_RawMotion:
        // Raw motion carries device deltas, not the pointer position; the position is asked
        // for once per batch of events.
        moved = true;
        break;
    default:
        break;
    }
}

void CActivityReader::Impl::pointerMoved() noexcept {
    // Without a window the check would do nothing; spare the round trip.
    if (!notifier->hasWindow())
        return;
    Window rootReturn = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int buttons = 0;
    XQueryPointer(dpy, root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &buttons);
    if (!broken)
        feed({ActivitySourceMessage, ActivityMsg::MouseMove, rootX, rootY});
}

void CActivityReader::Impl::feed(const tagACTIVITYINPUT& input) noexcept {
    const tagACTIVITYVERDICT verdict = CheckActivityInput(input, *last, notifier->hasWindow());
    *last = verdict.last;
    if (verdict.post)
        notifier->notify();
}

CActivityReader::CActivityReader(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

CActivityReader::~CActivityReader() = default;

std::unique_ptr<CActivityReader> CActivityReader::start(CActivityNotifier& notifier,
                                                        tagACTIVITYPOS& last) {
    auto impl = std::make_unique<Impl>();
    impl->notifier = &notifier;
    impl->last = &last;
    if (!impl->open())
        return nullptr;
    try {
        Impl* self = impl.get();
        impl->thread = std::thread([self] { self->run(); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    pthread_setname_np(impl->thread.native_handle(), "AvalinH-input");
    return std::unique_ptr<CActivityReader>(new CActivityReader(std::move(impl)));
}
