#include "messagetable.h"

MessageTable::AddResult MessageTable::Add(int message)
{
    if (message == AllMessages) {
        count = AllMessages;
        return AddResult::Added;
    }
    if (count == AllMessages) {
        // Asking for one message narrows "everything" to just that one.
        count = 1;
        entries[0] = message;
        return AddResult::Added;
    }
    // A full table takes nothing, not even into a freed slot.
    if (count >= Capacity)
        return AddResult::Overflow;
    int freeSlot = -1;
    for (int i = 0; i < count; ++i) {
        if (entries[i] == message)
            return AddResult::AlreadyPresent;
        if (entries[i] == 0 && freeSlot < 0)
            freeSlot = i;
    }
    if (freeSlot >= 0) {
        entries[freeSlot] = message;
        return AddResult::Added;
    }
    entries[count++] = message;
    return AddResult::Added;
}

bool MessageTable::Remove(int message)
{
    if (message == AllMessages) {
        count = 0;
        return true;
    }
    for (int i = 0; i < count; ++i) {
        if (entries[i] == message) {
            entries[i] = 0;
            return true;
        }
    }
    return false;
}

bool MessageTable::Delivers(int message) const
{
    if (count == AllMessages)
        return true;
    for (int i = 0; i < count; ++i) {
        if (entries[i] == message && message != 0)
            return true;
    }
    return false;
}
