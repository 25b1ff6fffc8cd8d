#include "core/ui/UiRegistry.h"

#include <algorithm>

namespace bw {

namespace {

template <typename List, typename T>
void put(List& list, std::string_view name, T value) {
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.name == name; });
    if (it != list.end())
        it->value = std::move(value);
    else
        list.push_back({std::string(name), std::move(value)});
}

template <typename List>
auto find(const List& list, std::string_view name) -> decltype(&list.front().value) {
    for (const auto& e : list)
        if (e.name == name) return &e.value;
    return nullptr;
}

}  // namespace

void UiRegistry::add_action(std::string_view name, MenuAction action) {
    put(actions_, name, std::move(action));
}

void UiRegistry::add_window(std::string_view name, WindowOpener opener) {
    put(windows_, name, std::move(opener));
}

const MenuAction* UiRegistry::action(std::string_view name) const { return find(actions_, name); }

bool UiRegistry::has_window(std::string_view name) const { return find(windows_, name) != nullptr; }

bool UiRegistry::open_window(std::string_view name, QWidget* parent) const {
    const WindowOpener* open = find(windows_, name);
    if (!open) return false;
    (*open)(parent);
    return true;
}

UiRegistry& ui_registry() {
    static UiRegistry registry;
    return registry;
}

}  // namespace bw
