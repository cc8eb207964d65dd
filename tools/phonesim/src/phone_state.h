#pragma once
// What the simulated phone remembers between commands.
#include <optional>

#include "calendar_groups.h"
#include "camera_pictures.h"
#include "file_system.h"
#include "java_applications.h"
#include "media_centre.h"
#include "multimedia_messages.h"
#include "options.h"

namespace phonesim {

// The handset's stores: filled with their defaults at start and on every reset,
// kept over a pulled cable and a restart.
struct Stores {
    FileStore files;
    Album album;
    CalendarGroups calendar;
    JavaStore java;
    MessageStore messages;
    MediaCentre media;
};

Stores DefaultStores(const PhoneOptions& options);

// What holds for one connection only: cleared when the cable is plugged back in.
struct Connection {
    bool lockVerified = false;
    std::optional<JavaDescriptor> javaPending;
};

struct PhoneState {
    bool echo = true;
    bool escaping = false;   // software-flow escaping in both directions
    int flowMode = 0;        // the last mode set with AT+IFC
    long commandNumber = 0;  // 1-based number of the command being answered
    Stores stores;
    Connection connection;
};

}  // namespace phonesim
