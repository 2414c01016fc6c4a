#pragma once

#include "hookblock.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// One owner's hooks on widgets (or any objects) of its own thread: for each
// hooked one, chosen event types reach the owner's callback before and/or
// after its own handling. Messages are Qt event types. Mistakes in use are
// reported through a replaceable reporter and never thrown at the caller.
class EventHooks
{
public:
    static constexpr int MSG_ENTRIES = MessageTable::Capacity;
    static constexpr int ALL_MESSAGES = MessageTable::AllMessages;
    static constexpr int HOOK_BEFORE = 1;
    static constexpr int HOOK_AFTER = 2;

    using Callback = HookBlock::Callback;

    struct Error
    {
        QString className;
        QString routine;
        QString message;

        QString Title() const;    // "Error in ucCalendar.zDelMsg"
        QString Text() const;     // the message and a full stop
        QString LogEntry() const; // "ucCalendar.zDelMsg: ..."
    };
    using Reporter = std::function<void(const Error &)>;

    // ownerClassName names the owner in error texts.
    explicit EventHooks(const QString &ownerClassName);
    ~EventHooks();
    EventHooks(const EventHooks &) = delete;
    EventHooks &operator=(const EventHooks &) = delete;

    // The default writes a warning to the log and shows a message box.
    static void ShowError(const Error &error);
    void setReporter(Reporter reporter);

    bool sc_Subclass(QObject *window, qint32 userValue, Callback callback);
    void sc_WatchMessage(QObject *window, int message, int flags);
    void sc_UnwatchMessage(QObject *window, int message, int flags);
    void sc_UnSubclass(QObject *window);
    void sc_UnSubclassAll();
    // The previous handling of event (another owner's earlier hook, else the
    // widget's own), bypassing this owner's callbacks; 0 when not hooked.
    qint32 sc_CallPrevious(QObject *window, QEvent *event);
    qint32 sc_UserValue(QObject *window);
    void sc_SetUserValue(QObject *window, qint32 value);

    // Delivers event as the toolkit would, through the hooks when there are any,
    // and gives the delivery's result.
    qint32 Deliver(QObject *window, QEvent *event);

private:
    struct Entry
    {
        QPointer<QObject> window;
        QPointer<HookBlock> block;
    };

    qsizetype IndexOf(QObject *window) const;
    HookBlock *zMap_hWnd(QObject *window);
    void zAddMsg(int message, MessageTable &table);
    void zDelMsg(int message, MessageTable &table);
    void zReportError(const QString &routine, const QString &message);

    QString className;
    Reporter reporter;
    std::optional<QList<Entry>> hookedWindows;
};
