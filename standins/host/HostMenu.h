// The player's menus as clients change them: items under the four root menus, each with its
// caption (UTF-16 as received), enabled state and the client window that added it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "hostlink/ORVO_TLB.h"

namespace host {

class HostMenu {
  public:
    using Long = Orvo_tlb::Long;
    static constexpr Long kRoots[] = {0x4000, 0x5000, 0x9000, 0x8000};

    struct Item {
        Long parent = 0;
        std::wstring caption;
        bool enabled = true;
        Long window = 0;
    };

    // A new item under a root or an existing item; 0 when the parent is unknown.
    Long Add(Long window, Long parent, const std::wstring& caption);
    // Removes the item and, for a submenu, every item below it; false when unknown.
    bool Delete(Long id);
    // Removes every item the window added, with what hangs below; the number removed.
    std::size_t DeleteAddedBy(Long window);
    const Item* Find(Long id) const;
    Item* Find(Long id);
    static bool IsRoot(Long id);

    // The id of the item reached by captions separated by "/", optionally starting with a root
    // id ("0x9000/Vellacord/ヘルプ"); without one every root is searched. 0 when none matches.
    Long FindPath(const std::wstring& path) const;

    // One line per item, indented by depth, roots first: "0x9000" then "  [0x101] "caption"".
    std::vector<std::string> Tree() const;
    std::size_t Count() const { return items_.size(); }
    // The items directly below an item or root, in creation order.
    std::vector<Long> Children(Long parent) const;

  private:
    Long FindBelow(Long parent, const std::vector<std::wstring>& captions, std::size_t at) const;
    void TreeBelow(Long parent, int depth, std::vector<std::string>& lines) const;

    std::map<Long, Item> items_;  // ids grow, so map order is creation order
    Long nextId_ = 0x100;
};

}  // namespace host
