// Desktop input on X11: XInput2 raw events on the root window of a private display
// connection. Raw events reach every client that selects them, whatever window has the focus
// or holds a grab, so they see all input of the desktop.
//
// The connection is made with xcb rather than Xlib: xcb reports a lost server on the
// connection itself, while Xlib hands it to a process-wide handler that ends the process.
#include "plugin/im/avalinh/CActivityReader.h"

#include "plugin/im/avalinh/ActivityCheck.h"
#include "plugin/im/avalinh/CActivityNotifier.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// Raw button numbers are those of the device: 1 left, 2 middle, 3 right, 4 to 7 the wheels.
uint32_t buttonUpMessage(uint32_t button) {
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

// xcb hands out replies and events in malloc'd blocks.
template <typename T> struct XcbBlock {
    T* p;
    explicit XcbBlock(T* block) : p(block) {}
    ~XcbBlock() { std::free(p); }
    XcbBlock(const XcbBlock&) = delete;
    XcbBlock& operator=(const XcbBlock&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

} // namespace

struct CActivityReader::Impl {
    CActivityNotifier* notifier = nullptr;
    tagACTIVITYPOS* last = nullptr;
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
    uint8_t xiOpcode = 0;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;

    ~Impl() {
        if (thread.joinable()) {
            stopping.store(true);
            const uint64_t one = 1;
            while (write(wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
            }
            thread.join();
        }
        if (conn)
            xcb_disconnect(conn);
        if (wakeFd >= 0)
            close(wakeFd);
    }

    bool open();
    void run() noexcept;
    void handle(const xcb_generic_event_t* ev, bool& moved) noexcept;
    void pointerMoved() noexcept;
    void feed(const tagACTIVITYINPUT& input) noexcept;
};

bool CActivityReader::Impl::open() {
    int screenNumber = 0;
    conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn))
        return false;
    const xcb_query_extension_reply_t* xi = xcb_get_extension_data(conn, &xcb_input_id);
    if (!xi || !xi->present)
        return false;
    xiOpcode = xi->major_opcode;
    XcbBlock version(
        xcb_input_xi_query_version_reply(conn, xcb_input_xi_query_version(conn, 2, 2), nullptr));
    if (!version || version->major_version < 2)
        return false;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return false;
    root = screens.data->root;

    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
               XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    // Checked, so that input from the moment the hook reports success on is seen.
    XcbBlock error(
        xcb_request_check(conn, xcb_input_xi_select_events_checked(conn, root, 1, &mask.head)));
    if (error || xcb_connection_has_error(conn))
        return false;

    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return wakeFd >= 0;
}

void CActivityReader::Impl::run() noexcept {
    pollfd fds[2] = {{xcb_get_file_descriptor(conn), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    while (!stopping.load()) {
        bool moved = false;
        while (!stopping.load()) {
            XcbBlock ev(xcb_poll_for_event(conn));
            if (!ev)
                break;
            handle(ev.p, moved);
        }
        // A lost server ends the reading; the hook stays installed but silent.
        if (stopping.load() || xcb_connection_has_error(conn))
            break;
        if (moved) {
            // The query may queue further events; drain them before sleeping.
            pointerMoved();
            continue;
        }
        fds[0].revents = 0;
        fds[1].revents = 0;
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents != 0)
            break;
    }
}

void CActivityReader::Impl::handle(const xcb_generic_event_t* ev, bool& moved) noexcept {
    if ((ev->response_type & 0x7F) != XCB_GE_GENERIC)
        return;
    const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(ev);
    if (ge->extension != xiOpcode)
        return;
    switch (ge->event_type) {
    case XCB_INPUT_RAW_KEY_PRESS:
        feed({ActivitySourceKeyboard, ActivityMsg::KeyDown, 0, 0});
        break;
    case XCB_INPUT_RAW_KEY_RELEASE:
        feed({ActivitySourceKeyboard, ActivityMsg::KeyUp, 0, 0});
        break;
    case XCB_INPUT_RAW_BUTTON_RELEASE: {
        const auto* raw = reinterpret_cast<const xcb_input_raw_button_release_event_t*>(ev);
        feed({ActivitySourceMessage, buttonUpMessage(raw->detail), 0, 0});
        break;
    }
    case XCB_INPUT_RAW_MOTION:
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
    XcbBlock pointer(xcb_query_pointer_reply(conn, xcb_query_pointer(conn, root), nullptr));
    if (pointer)
        feed({ActivitySourceMessage, ActivityMsg::MouseMove, pointer->root_x, pointer->root_y});
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
