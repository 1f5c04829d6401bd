// A do-nothing notification area for measurements under Xvfb: it owns the tray selection
// so that programs see a tray, and leaves their icons undocked.
#include <xcb/xcb.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tray_stub: no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
        free(r);
        return a;
    };
    const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t manager = atom("MANAGER");
    const xcb_window_t owner = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(c, owner, selection, XCB_CURRENT_TIME);

    xcb_client_message_event_t ev = {};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = screen->root;
    ev.type = manager;
    ev.data.data32[0] = XCB_CURRENT_TIME;
    ev.data.data32[1] = selection;
    ev.data.data32[2] = owner;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) free(e);
    return 0;
}
