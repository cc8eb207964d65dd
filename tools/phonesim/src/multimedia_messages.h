#pragma once
// The multimedia-message store: messages in four folders and the settings word.
#include <cstdint>
#include <map>
#include <string>

namespace phonesim {

struct Message {
    uint32_t folder = 0;  // 0 inbox, 1 outbox, 2 sent, 3 drafts
    std::string content;
};

struct MessageStore {
    std::map<uint32_t, Message> messages;  // by id
    uint32_t nextId = 1;                   // one above the highest id ever given
    uint32_t settings = 0;
};

MessageStore DefaultMessageStore();

}  // namespace phonesim
