#include "eventhooks.h"

#include <QMessageBox>
#include <QThread>

using namespace Qt::StringLiterals;

QString EventHooks::Error::Title() const
{
    return u"Error in "_s + className + u'.' + routine;
}

QString EventHooks::Error::Text() const
{
    return message + u'.';
}

QString EventHooks::Error::LogEntry() const
{
    return className + u'.' + routine + u": "_s + message;
}

EventHooks::EventHooks(const QString &ownerClassName)
    : className(ownerClassName), reporter(&EventHooks::ShowError)
{}

EventHooks::~EventHooks()
{
    // The hooks call back into the owner, which is going away.
    sc_UnSubclassAll();
}

void EventHooks::ShowError(const Error &error)
{
    qWarning().noquote() << error.LogEntry();
    QMessageBox box(QMessageBox::Warning, error.Title(), error.Text(), QMessageBox::Ok);
    box.exec();
}

void EventHooks::setReporter(Reporter replacement)
{
    reporter = replacement ? std::move(replacement) : Reporter(&EventHooks::ShowError);
}

void EventHooks::zReportError(const QString &routine, const QString &message)
{
    reporter(Error{className, routine, message});
}

qsizetype EventHooks::IndexOf(QObject *window) const
{
    if (!hookedWindows || !window)
        return -1;
    for (qsizetype i = 0; i < hookedWindows->size(); ++i) {
        if (hookedWindows->at(i).window == window)
            return i;
    }
    return -1;
}

bool EventHooks::sc_Subclass(QObject *window, qint32 userValue, Callback callback)
{
    const QString routine = u"sc_Subclass"_s;
    if (!window) {
        zReportError(routine, u"Invalid window handle"_s);
        return false;
    }
    if (window->thread() != QThread::currentThread()) {
        zReportError(routine, u"Window handle belongs to another process"_s);
        return false;
    }
    if (!callback) {
        zReportError(routine, u"Callback method not found"_s);
        return false;
    }
    if (!hookedWindows)
        hookedWindows.emplace();
    // Widgets that have gone since they were hooked.
    hookedWindows->removeIf([](const Entry &entry) { return !entry.window; });
    if (IndexOf(window) >= 0) {
        zReportError(routine, u"Window handle is already subclassed"_s);
        return false;
    }
    hookedWindows->append({window, new HookBlock(window, userValue, std::move(callback))});
    return true;
}

HookBlock *EventHooks::zMap_hWnd(QObject *window)
{
    if (!hookedWindows) {
        zReportError(u"zMap_hWnd"_s, u"Subclassing hasn't been started"_s);
        return nullptr;
    }
    const qsizetype i = IndexOf(window);
    if (i < 0) {
        zReportError(u"zMap_hWnd"_s, u"Window handle isn't subclassed"_s);
        return nullptr;
    }
    // Null once the hook has removed itself or its widget has gone.
    HookBlock *block = hookedWindows->at(i).block;
    return block && block->Installed() ? block : nullptr;
}

void EventHooks::zAddMsg(int message, MessageTable &table)
{
    if (table.Add(message) == MessageTable::AddResult::Overflow)
        zReportError(u"zAddMsg"_s,
                     u"Message table overflow. Either increase the value of Const MSG_ENTRIES or "
                     u"use ALL_MESSAGES instead of specific message values"_s);
}

void EventHooks::zDelMsg(int message, MessageTable &table)
{
    if (!table.Remove(message))
        zReportError(u"zDelMsg"_s, u"Message &H"_s + QString::number(uint(message), 16).toUpper() +
                                       u" not found in table"_s);
}

void EventHooks::sc_WatchMessage(QObject *window, int message, int flags)
{
    HookBlock *block = zMap_hWnd(window);
    if (!block)
        return;
    if (flags & HOOK_BEFORE)
        zAddMsg(message, block->Before());
    if (flags & HOOK_AFTER)
        zAddMsg(message, block->After());
}

void EventHooks::sc_UnwatchMessage(QObject *window, int message, int flags)
{
    HookBlock *block = zMap_hWnd(window);
    if (!block)
        return;
    if (flags & HOOK_BEFORE)
        zDelMsg(message, block->Before());
    if (flags & HOOK_AFTER)
        zDelMsg(message, block->After());
}

void EventHooks::sc_UnSubclass(QObject *window)
{
    if (!hookedWindows) {
        zReportError(u"sc_UnSubclass"_s, u"Window handle isn't subclassed"_s);
        return;
    }
    // An unknown widget is reported by the lookup and left alone.
    const qsizetype i = IndexOf(window);
    HookBlock *block = zMap_hWnd(window);
    if (block)
        block->Shutdown();
    if (i >= 0)
        hookedWindows->removeAt(i);
}

void EventHooks::sc_UnSubclassAll()
{
    if (!hookedWindows)
        return;
    for (qsizetype i = hookedWindows->size() - 1; i >= 0; --i) {
        const Entry &entry = hookedWindows->at(i);
        if (entry.block && entry.block->Installed())
            entry.block->Shutdown();
    }
    hookedWindows.reset();
}

qint32 EventHooks::sc_CallPrevious(QObject *window, QEvent *event)
{
    HookBlock *block = zMap_hWnd(window);
    return block ? block->CallPrevious(event) : 0;
}

qint32 EventHooks::sc_UserValue(QObject *window)
{
    HookBlock *block = zMap_hWnd(window);
    return block ? block->UserValue() : 0;
}

void EventHooks::sc_SetUserValue(QObject *window, qint32 value)
{
    if (HookBlock *block = zMap_hWnd(window))
        block->UserValue() = value;
}

qint32 EventHooks::Deliver(QObject *window, QEvent *event)
{
    if (!window)
        return 0;
    // Through every owner's hook, the latest first, as the toolkit does.
    if (HookBlock *top = HookBlock::Topmost(window))
        return top->Procedure(event);
    return window->event(event) ? 1 : 0;
}
