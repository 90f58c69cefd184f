#pragma once
// Tells the user about newer versions of Tolvo. Created at launch and kept
// for the application's life; it never replaces Tolvo's files, which on Linux
// is the package manager's work.

#include <QObject>
#include <QUrl>

namespace tolvo {

class SoftwareUpdater : public QObject {
    Q_OBJECT
public:
    explicit SoftwareUpdater(QObject* parent = nullptr)
        : QObject(parent)
    {
    }
};

} // namespace tolvo
