// Numbered commands and their routing. A command arrives from a menu, a tool bar, an
// accelerator or a status-bar button and is offered to the targets of a router in
// order (view, document, main frame, application); the first target that knows it
// runs it. A command that no target runs is shown disabled.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace marquetta {

// What an update handler says about a command's menu item, button or caption.
struct CommandUi {
    bool enabled = true;
    std::optional<bool> checked;
    std::optional<std::string> text;  // a new caption (status-bar buttons)

    // A command without a handler stays disabled whatever its update handler says.
    void Enable(bool on) { enabled = enabled && on; }
    void SetCheck(bool on) { checked = on; }
    void SetText(std::string caption) { text = std::move(caption); }
};

class CommandTarget {
public:
    using RunFn = std::function<void()>;
    using UpdateFn = std::function<void(CommandUi&)>;

    // A handler, with an optional update handler.
    void On(int id, RunFn run, UpdateFn update = {});
    // An update handler alone: the command shows, but nothing runs it.
    void OnUpdate(int id, UpdateFn update);

    bool Knows(int id) const { return m_entries.count(id) != 0; }
    // Runs the handler; false when this target has none for `id`.
    bool Run(int id) const;
    // The item's state when this target knows `id`.
    std::optional<CommandUi> Update(int id) const;

private:
    struct Entry {
        RunFn run;
        UpdateFn update;
    };
    std::unordered_map<int, Entry> m_entries;
};

class CommandRouter {
public:
    // Targets in routing order; not owned.
    void SetChain(std::vector<const CommandTarget*> chain) { m_chain = std::move(chain); }

    // Runs the command at the first target that knows it; false when none does or
    // when it is disabled.
    bool Execute(int id) const;
    // The state of its menu item or button: disabled when no target knows it.
    CommandUi Query(int id) const;

private:
    std::vector<const CommandTarget*> m_chain;
};

}  // namespace marquetta
