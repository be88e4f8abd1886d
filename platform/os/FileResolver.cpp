#include "platform/os/FileResolver.h"

#include "platform/os/AppDir.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        return lower(x) == lower(y);
    });
}

bool Exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The entry of folder named like part, or an empty text when there is none. Several case variants
// (possible on this file system) resolve to the first in byte order, so the choice never changes
// between runs.
std::string FindEntry(const std::string& folder, const std::string& part)
{
    if (Exists(folder + part))
        return part;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
    if (!dir)
        return {};
    std::string best;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string candidate = entry->d_name;
        if (EqualIgnoringCase(candidate, part) && (best.empty() || candidate < best))
            best = candidate;
    }
    return best;
}

} // namespace

std::string ResolveFile(const std::string& folder, const std::string& name)
{
    const std::string base = WithTrailingSlash(folder);
    std::string resolved = base;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string part = name.substr(start, end - start);
        const bool last = end == name.size();
        if (!part.empty()) {
            const std::string found = part == "." || part == ".." ? part : FindEntry(resolved, part);
            if (found.empty())
                return base + name;
            resolved += found;
            if (!last)
                resolved += '/';
        }
        start = end + 1;
    }
    return resolved;
}
