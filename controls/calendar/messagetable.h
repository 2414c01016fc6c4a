#pragma once

#include <array>

// The event types one side (before or after) of a hook delivers: a count and
// up to Capacity entries, 0 marking a slot freed by Remove. A count of -1
// delivers every event type.
class MessageTable
{
public:
    static constexpr int Capacity = 32;
    static constexpr int AllMessages = -1;

    enum class AddResult { Added, AlreadyPresent, Overflow };

    AddResult Add(int message);
    // False when the message is not in the table (nothing changes).
    bool Remove(int message);
    bool Delivers(int message) const;

    int Count() const { return count; }
    int Entry(int index) const { return entries[index - 1]; } // 1..Count()

private:
    int count = 0;
    std::array<int, Capacity> entries{};
};
