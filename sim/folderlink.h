#pragma once
// A symbolic link in a data folder under a port name (COM16, USB001) that
// points at a simulated device, removed again when it goes. The program's
// port resolver looks for an entry of the port's name in its data folder.

#include <QString>

namespace Sim {

class FolderLink {
public:
    FolderLink() = default;
    ~FolderLink() { remove(); }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

    // Creates linkPath -> target. An older symbolic link of that name is
    // replaced; any other kind of file is left alone and the call fails.
    bool create(const QString& target, const QString& linkPath, QString* error);
    // Removes the link if it is still the one this object made.
    void remove();
    QString path() const { return path_; }

private:
    QString path_;
    QString target_;
};

} // namespace Sim
