// GLib's own view of our desktop files, run with the XDG folders at hand:
//   gioprobe app TYPE [FILE]      the type's default application (id, file, icon, window class, listed by
//                                 g_app_info_get_all); launched with FILE when given
//   gioprobe recent XBEL URI APP  the record's command line as GLib reads it, an argument a line
#include <gio/gdesktopappinfo.h>
#include <cstdio>
#include <cstring>

// GLib's own allocations are not ours to check (the sanitizer build).
extern "C" int __lsan_is_turned_off() { return 1; }

int main(int argc, char** argv) {
    GError* error = nullptr;
    if (argc >= 3 && std::strcmp(argv[1], "app") == 0) {
        GAppInfo* app = g_app_info_get_default_for_type(argv[2], FALSE);
        if (!app) return std::printf("id=\n"), 0;
        const char* wmClass = g_desktop_app_info_get_startup_wm_class(G_DESKTOP_APP_INFO(app));
        std::printf("id=%s\nfile=%s\nicon=%s\nwmclass=%s\n", g_app_info_get_id(app),
                    g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app)),
                    g_app_info_get_icon(app) ? g_icon_to_string(g_app_info_get_icon(app)) : "", wmClass ? wmClass : "");
        int listed = 0;
        for (GList* l = g_app_info_get_all(); l; l = l->next)
            listed |= std::strcmp(g_app_info_get_id(G_APP_INFO(l->data)), g_app_info_get_id(app)) == 0;
        std::printf("listed=%d\n", listed);
        GList files = {argc >= 4 ? g_file_new_for_path(argv[3]) : nullptr, nullptr, nullptr};
        if (argc >= 4 && !g_app_info_launch(app, &files, nullptr, &error)) std::printf("error=%s\n", error->message);
        return 0;
    }
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    char *exec = nullptr, **args = nullptr;
    if (argc < 5 || !g_bookmark_file_load_from_file(bookmarks, argv[2], &error) ||
        !g_bookmark_file_get_application_info(bookmarks, argv[3], argv[4], &exec, nullptr, nullptr, &error) ||
        !g_shell_parse_argv(exec, nullptr, &args, &error))
        return std::printf("error=%s\n", error ? error->message : "usage"), 0;
    for (char** a = args; *a; ++a) std::printf("%s\n", *a);
}
