#pragma once

#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace bkp::app {

// One running copy per program folder: the settings file and the database beside
// the program belong to one process. The first start takes the folder's lock and
// listens; a later start in the same folder asks that copy to restore its window
// and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,      // this process runs the folder's program
        HandedOver, // the running copy was asked to restore its window
        Unreachable // another copy holds the folder but does not answer
    };

    explicit SingleInstance(const QString &programFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder's lock, or hands over to the copy that holds it, waiting at
    // most `waitMs` for it to listen and to answer.
    Role claim(int waitMs = 10000);

    // Runs on the window thread for every restore request; a request that came
    // before the handler was set is delivered when it is set. An empty handler
    // keeps requests pending.
    void setRestoreHandler(std::function<void()> handler);

    // Where the lock and the listening socket of a folder live: the user's runtime
    // folder, named after the folder's canonical path.
    static QString baseName(const QString &programFolder);

private:
    Role handOver(int waitMs);
    void readRequest(QLocalSocket *socket);

    QString m_base;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    std::function<void()> m_restore;
    bool m_pending = false;
};

} // namespace bkp::app
