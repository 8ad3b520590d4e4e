#pragma once
// A message for the user as the layers below the pages give it: what it is (its identity, which stays
// when its text is reworded), its kind (the icon of its box), its text and, for a driver error, the
// driver's result. The layers return their messages with their results; the pages, the front ends and
// ruvacfg show them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ruva {

enum class MessageIcon { None, Stop, Warning, Information };

struct Message {
    std::string_view Id; // e.g. "saved_to_board"
    MessageIcon Icon = MessageIcon::None;
    std::string Text;
    std::optional<std::int32_t> Number{}; // the driver's result that a driver error reports

    friend bool operator==(const Message&, const Message&) = default;
};

// Sees each message of a step as it is added: a console prints it at once, as nobody waits for a
// printed line, so a program that a held-off request ends right after the step has printed them all.
using MessageWatcher = std::function<void(const Message&)>;

// The messages of one step, in order.
struct MessageList {
    std::vector<Message> All;
    MessageWatcher Watcher{};

    void Add(Message message) {
        if (Watcher)
            Watcher(message);
        All.push_back(std::move(message));
    }
    void Add(std::string_view id, MessageIcon icon, std::string_view text) {
        Add({id, icon, std::string(text)});
    }
    void Add(const std::vector<Message>& messages) {
        for (const Message& message : messages)
            Add(message);
    }
};

} // namespace ruva
