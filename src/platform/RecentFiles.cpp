#include "platform/RecentFiles.h"

#include <glib.h>

#include <cerrno>
#include <memory>

namespace oruvan {

namespace {

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<gchar, GFreeDeleter>;

// Takes the error's message and frees it.
std::string Message(GError* error) {
    std::string text = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    return text;
}

}  // namespace

std::string RecentlyUsedFile(const std::string& xdgDataHome, const std::string& home) {
    const std::string base =
        !xdgDataHome.empty() && xdgDataHome.front() == '/' ? xdgDataHome : home + "/.local/share";
    return base + "/recently-used.xbel";
}

std::string AddRecentlyUsed(const std::string& listFile, const RecentEntry& entry) {
    std::unique_ptr<GBookmarkFile, decltype(&g_bookmark_file_free)> list(g_bookmark_file_new(),
                                                                        &g_bookmark_file_free);
    GError* error = nullptr;
    if (!g_bookmark_file_load_from_file(list.get(), listFile.c_str(), &error)) {
        // Only a missing list may be started afresh: another program's list is never replaced.
        if (!g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT)) return Message(error);
        g_error_free(error);
        error = nullptr;
        const GText folder(g_path_get_dirname(listFile.c_str()));
        if (g_mkdir_with_parents(folder.get(), 0700) != 0) return g_strerror(errno);
    }
    const GText uri(g_filename_to_uri(entry.path.c_str(), nullptr, &error));
    if (!uri) return Message(error);
    g_bookmark_file_set_mime_type(list.get(), uri.get(), entry.mimeType.c_str());
    g_bookmark_file_add_application(list.get(), uri.get(), entry.appName.c_str(), entry.appExec.c_str());
    // Written to a temporary file and renamed over the list, as GLib does.
    if (!g_bookmark_file_to_file(list.get(), listFile.c_str(), &error)) return Message(error);
    return {};
}

}  // namespace oruvan
