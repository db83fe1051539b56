#include "standins/host/HostMenu.h"

#include <algorithm>

#include "standins/host/Text.h"
#include "standins/host/Transcript.h"

namespace host {

bool HostMenu::IsRoot(Long id) {
    return std::find(std::begin(kRoots), std::end(kRoots), id) != std::end(kRoots);
}

HostMenu::Long HostMenu::Add(Long window, Long parent, const std::wstring& caption) {
    if (!IsRoot(parent) && !Find(parent)) return 0;
    const Long id = nextId_++;
    items_[id] = Item{parent, caption, true, window};
    return id;
}

bool HostMenu::Delete(Long id) {
    if (!Find(id)) return false;
    for (const Long child : Children(id)) Delete(child);
    items_.erase(id);
    return true;
}

std::size_t HostMenu::DeleteAddedBy(Long window) {
    const std::size_t before = items_.size();
    for (;;) {
        const auto added = std::find_if(items_.begin(), items_.end(), [window](const auto& entry) {
            return entry.second.window == window;
        });
        if (added == items_.end()) return before - items_.size();
        Delete(added->first);
    }
}

const HostMenu::Item* HostMenu::Find(Long id) const {
    const auto found = items_.find(id);
    return found == items_.end() ? nullptr : &found->second;
}

HostMenu::Item* HostMenu::Find(Long id) {
    const auto found = items_.find(id);
    return found == items_.end() ? nullptr : &found->second;
}

std::vector<HostMenu::Long> HostMenu::Children(Long parent) const {
    std::vector<Long> ids;
    for (const auto& [id, item] : items_)
        if (item.parent == parent) ids.push_back(id);
    return ids;
}

HostMenu::Long HostMenu::FindBelow(Long parent, const std::vector<std::wstring>& captions,
                                   std::size_t at) const {
    for (const Long child : Children(parent)) {
        if (items_.at(child).caption != captions[at]) continue;
        if (at + 1 == captions.size()) return child;
        if (const Long found = FindBelow(child, captions, at + 1)) return found;
    }
    return 0;
}

HostMenu::Long HostMenu::FindPath(const std::wstring& path) const {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find(L'/', start);
        parts.push_back(path.substr(start, slash == std::wstring::npos ? slash : slash - start));
        if (slash == std::wstring::npos) break;
        start = slash + 1;
    }
    std::vector<Long> roots(std::begin(kRoots), std::end(kRoots));
    const Long first = static_cast<Long>(std::wcstol(parts[0].c_str(), nullptr, 0));
    if (IsRoot(first)) {
        roots = {first};
        parts.erase(parts.begin());
    }
    if (parts.empty()) return 0;
    for (const Long root : roots)
        if (const Long found = FindBelow(root, parts, 0)) return found;
    return 0;
}

void HostMenu::TreeBelow(Long parent, int depth, std::vector<std::string>& lines) const {
    for (const Long child : Children(parent)) {
        const Item& item = items_.at(child);
        lines.push_back(std::string(static_cast<std::size_t>(2 * depth), ' ') + "[" +
                        Transcript::Hex(static_cast<std::uint32_t>(child)) + "] \"" +
                        Escape(ToUtf8(item.caption)) + "\"" + (item.enabled ? "" : " disabled"));
        TreeBelow(child, depth + 1, lines);
    }
}

std::vector<std::string> HostMenu::Tree() const {
    std::vector<std::string> lines;
    for (const Long root : kRoots) {
        lines.push_back(Transcript::Hex(static_cast<std::uint32_t>(root)));
        TreeBelow(root, 1, lines);
    }
    return lines;
}

}  // namespace host
