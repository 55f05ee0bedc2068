#include "session.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace drafthost {

namespace fs = std::filesystem;

namespace {

std::string make_temp_dir() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = (tmp && *tmp) ? tmp : "/tmp";
    std::string templ = fs::absolute(base).string() + "/drafthost.XXXXXX";
    if (!::mkdtemp(templ.data())) throw SetupError("cannot make a directory in " + base + ": " + std::strerror(errno));
    return templ;
}

// The drawing of a prepared directory: the entry under the name given, or the
// one case variant of the exchange file's name.
std::optional<std::string> find_drawing(const std::string& dir, const DirState& before,
                                        const std::optional<std::string>& name) {
    if (name) {
        if (!before.count(*name)) throw SetupError(dir + " holds nothing under " + *name);
        return name;
    }
    std::vector<std::string> variants;
    for (const auto& [n, e] : before)
        if (name_kind(n) != NameKind::Other) variants.push_back(n);
    if (variants.size() > 1) {
        std::string list;
        for (const std::string& v : variants) list += (list.empty() ? "" : ", ") + v;
        throw SetupError(dir + " holds several names of the exchange file (" + list +
                         "); say with --name which is the drawing");
    }
    if (variants.empty()) return std::nullopt;
    return variants[0];
}

}  // namespace

Session fresh_session(const SessionOptions& o) {
    Session s;
    const std::string name = o.name.value_or(EXCHANGE_FILE);
    s.drawing = read_file(o.drawing_path);
    s.prepared.name = name;
    s.prepared.before[name] = DirEntry{true, s.drawing, ""};
    return s;
}

Session run_session(const SessionOptions& o) {
    const std::vector<std::string>& command = o.launch.command;
    if (command.empty()) throw SetupError("no PROGRAM given");
    Session s = o.prepared_dir ? Session{} : fresh_session(o);
    s.level = debug_level(std::vector<std::string>(command.begin() + 1, command.end()));
    struct Cleanup {
        std::string dir;  // a fresh directory, removed however the run ends
        ~Cleanup() {
            std::error_code ec;
            if (!dir.empty()) fs::remove_all(dir, ec);
        }
    } cleanup;
    if (o.prepared_dir) {
        std::error_code ec;
        if (!fs::is_directory(*o.prepared_dir, ec)) throw SetupError(*o.prepared_dir + " is not a directory");
        s.dir = fs::canonical(*o.prepared_dir).string();
        s.prepared.before = read_dir(s.dir);
        s.prepared.name = find_drawing(*o.prepared_dir, s.prepared.before, o.name);
        if (s.prepared.name) s.drawing = s.prepared.before.at(*s.prepared.name).bytes;
    } else {
        s.dir = cleanup.dir = make_temp_dir();
        std::ofstream out(s.dir + "/" + *s.prepared.name, std::ios::binary);
        out.write(s.drawing.data(), static_cast<std::streamsize>(s.drawing.size()));
        out.close();
        if (!out) throw SetupError("cannot write " + s.dir + "/" + *s.prepared.name);
    }
    Launch l = o.launch;
    l.dir = s.dir;
    s.status = run_program(l);
    s.after = read_dir(s.dir);
    return s;
}

}  // namespace drafthost
