#pragma once
// The phone's end of the cable: a pseudo-terminal whose slave side is the port the
// PC opens, and an optional symlink that gives that port a stable name.
#include <string>

namespace phonesim {

struct PtyPair {
    int master = -1;
    int slave = -1;  // held open so the master never sees a hang-up when the PC closes
    std::string slavePath;
};

// Opens a pty with a raw slave and a non-blocking master.
bool OpenPty(PtyPair& pty, std::string& error);
void ClosePty(PtyPair& pty);
// Bytes the phone wrote that the PC has not read yet.
int UnreadByPc(const PtyPair& pty);

// Makes `link` a symlink to `target`, replacing what was there in one rename so a
// reader never sees the name missing.
bool PointLink(const std::string& link, const std::string& target, std::string& error);
// Removes `link` if it is a symlink.
void RemoveLink(const std::string& link);

}  // namespace phonesim
