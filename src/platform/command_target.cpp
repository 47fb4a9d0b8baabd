#include "platform/command_target.h"

namespace marquetta {

void CommandTarget::On(int id, RunFn run, UpdateFn update) {
    m_entries[id] = Entry{std::move(run), std::move(update)};
}

void CommandTarget::OnUpdate(int id, UpdateFn update) {
    m_entries[id] = Entry{{}, std::move(update)};
}

bool CommandTarget::Run(int id) const {
    const auto it = m_entries.find(id);
    if (it == m_entries.end() || !it->second.run) {
        return false;
    }
    it->second.run();
    return true;
}

std::optional<CommandUi> CommandTarget::Update(int id) const {
    const auto it = m_entries.find(id);
    if (it == m_entries.end()) {
        return std::nullopt;
    }
    CommandUi ui;
    ui.enabled = static_cast<bool>(it->second.run);
    if (it->second.update) {
        it->second.update(ui);
    }
    return ui;
}

bool CommandRouter::Execute(int id) const {
    for (const CommandTarget* target : m_chain) {
        if (target->Knows(id)) {
            // The state is asked first, as a menu would: a disabled command does not run.
            const std::optional<CommandUi> ui = target->Update(id);
            return ui && ui->enabled && target->Run(id);
        }
    }
    return false;
}

CommandUi CommandRouter::Query(int id) const {
    for (const CommandTarget* target : m_chain) {
        if (std::optional<CommandUi> ui = target->Update(id)) {
            return *ui;
        }
    }
    CommandUi none;
    none.enabled = false;
    return none;
}

}  // namespace marquetta
