/* A window for the hack-mode tests: made, resized and destroyed when standard input says so.
 *
 * Usage: x_window_helper X Y WIDTH HEIGHT
 * Prints the window's id ("0x...") once it is on the screen, then reads lines:
 *   resize W H   resizes it and prints "resized"
 *   destroy      destroys it and prints "destroyed"
 *   (end of input ends the program)
 * The window is filled with one grey, so that what another program draws in it stands out. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void wait_for(Display *d, Window w, int type) {
    XEvent e;
    do {
        XWindowEvent(d, w, StructureNotifyMask | ExposureMask, &e);
    } while (e.type != type);
}

int main(int argc, char **argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: %s X Y WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    /* A virtual display under load now and then turns a connection away: try for a while. */
    Display *d = NULL;
    for (int tries = 0; !d && tries < 50; ++tries) {
        d = XOpenDisplay(NULL);
        if (!d) usleep(100000);
    }
    if (!d) {
        fprintf(stderr, "%s: no X display\n", argv[0]);
        return 1;
    }
    const int screen = DefaultScreen(d);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.background_pixel = 0x808080;
    /* Placed where asked even under a window manager. */
    attributes.override_redirect = True;
    Window w = XCreateWindow(d, RootWindow(d, screen), atoi(argv[1]), atoi(argv[2]),
                             (unsigned)atoi(argv[3]), (unsigned)atoi(argv[4]), 0, CopyFromParent,
                             InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect,
                             &attributes);
    XSelectInput(d, w, StructureNotifyMask | ExposureMask);
    XStoreName(d, w, "HackTestWindow");
    XMapWindow(d, w);
    wait_for(d, w, MapNotify);
    XSync(d, False);
    printf("0x%lx\n", (unsigned long)w);
    fflush(stdout);

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        unsigned width, height;
        if (sscanf(line, "resize %u %u", &width, &height) == 2) {
            XResizeWindow(d, w, width, height);
            wait_for(d, w, ConfigureNotify);
            XSync(d, False);
            printf("resized\n");
        } else if (strncmp(line, "destroy", 7) == 0) {
            XDestroyWindow(d, w);
            XSync(d, False);
            printf("destroyed\n");
        }
        fflush(stdout);
    }
    XCloseDisplay(d);
    return 0;
}
