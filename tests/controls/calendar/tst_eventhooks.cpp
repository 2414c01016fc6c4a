#include "eventhooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const auto Ping = QEvent::Type(QEvent::registerEventType());
const auto Pong = QEvent::Type(QEvent::registerEventType());

// A widget that logs its own handling of Ping and Pong, and can be told to do
// something while it handles them.
class Probe : public QWidget
{
public:
    QStringList *log = nullptr;
    bool result = true;
    std::function<void(QEvent *)> onPing;
    std::function<void(QEvent *)> onPong;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == Ping || e->type() == Pong) {
            if (log)
                log->append(e->type() == Ping ? u"widget ping"_s : u"widget pong"_s);
            const auto &hook = e->type() == Ping ? onPing : onPong;
            if (hook)
                hook(e);
            return result;
        }
        return QWidget::event(e);
    }
};

} // namespace

// The per-owner hook registry on Qt event filters.
class tst_EventHooks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void callsBeforeWidgetThenAfter();
    void handledBeforeCallSkipsWidgetAndAfter();
    void afterCallSeesAndChangesResult();
    void hookingTwiceIsReportedAndFirstHookStays();
    void refusedSubclasses_data();
    void refusedSubclasses();
    void tableOverflowAndSlotReuse();
    void allMessagesAndNarrowing();
    void removingAnUnknownMessageIsReported();
    void lookupsReportWhatIsMissing();
    void noCallbackAfterUnsubclass();
    void unsubclassWhileBusyWaitsForTheOutermostCall();
    void unsubclassAllStopsEverything();
    void goneWidgetsAreSkipped();
    void userValueAndCallPrevious();
    void twoOwnersChainTheirHooks();
    void defaultReporterLogsAndShowsABox();

private:
    EventHooks::Callback Recorder();

    QStringList log;
    QList<EventHooks::Error> errors;
    std::unique_ptr<EventHooks> hooks;
};

void tst_EventHooks::init()
{
    log.clear();
    errors.clear();
    hooks = std::make_unique<EventHooks>(u"ucCalendar"_s);
    hooks->setReporter([this](const EventHooks::Error &error) { errors.append(error); });
}

EventHooks::Callback tst_EventHooks::Recorder()
{
    return [this](bool before, bool &, qint32 &result, QObject *, QEvent *event, qint32 &) {
        log.append(u"%1 %2 %3"_s.arg(before ? u"before"_s : u"after"_s)
                       .arg(event->type() == Ping ? u"ping"_s : u"other"_s)
                       .arg(result));
    };
}

void tst_EventHooks::callsBeforeWidgetThenAfter()
{
    Probe probe;
    probe.log = &log;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_BEFORE | EventHooks::HOOK_AFTER);
    QEvent ping(Ping);
    QVERIFY(QCoreApplication::sendEvent(&probe, &ping));
    QCOMPARE(log, (QStringList{u"before ping 0"_s, u"widget ping"_s, u"after ping 1"_s}));
    // Unwatched events reach the widget only.
    log.clear();
    QEvent pong(Pong);
    QCoreApplication::sendEvent(&probe, &pong);
    QCOMPARE(log, QStringList{u"widget pong"_s});
    QVERIFY(errors.isEmpty());
}

void tst_EventHooks::handledBeforeCallSkipsWidgetAndAfter()
{
    Probe probe;
    probe.log = &log;
    int afterCalls = 0;
    QVERIFY(hooks->sc_Subclass(
        &probe, 0, [&](bool before, bool &handled, qint32 &result, QObject *, QEvent *, qint32 &) {
            if (before) {
                handled = true;
                result = 5;
            } else {
                ++afterCalls;
            }
        }));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_BEFORE | EventHooks::HOOK_AFTER);
    QEvent ping(Ping);
    QCOMPARE(hooks->Deliver(&probe, &ping), 5);
    QVERIFY(QCoreApplication::sendEvent(&probe, &ping));
    QVERIFY(log.isEmpty());
    QCOMPARE(afterCalls, 0);
}

void tst_EventHooks::afterCallSeesAndChangesResult()
{
    Probe probe;
    QList<qint32> seen;
    QVERIFY(hooks->sc_Subclass(
        &probe, 0, [&](bool before, bool &, qint32 &result, QObject *, QEvent *, qint32 &) {
            if (!before) {
                seen.append(result);
                result = 7;
            }
        }));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_AFTER);
    QEvent ping(Ping);
    QCOMPARE(hooks->Deliver(&probe, &ping), 7);
    probe.result = false;
    QCOMPARE(hooks->Deliver(&probe, &ping), 7);
    QCOMPARE(seen, (QList<qint32>{1, 0}));
}

void tst_EventHooks::hookingTwiceIsReportedAndFirstHookStays()
{
    Probe probe;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_AFTER);
    QVERIFY(!hooks->sc_Subclass(&probe, 0, Recorder()));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].Title(), u"Error in ucCalendar.sc_Subclass"_s);
    QCOMPARE(errors[0].Text(), u"Window handle is already subclassed."_s);
    QCOMPARE(probe.findChildren<HookBlock *>().size(), 1);

    QEvent ping(Ping);
    QCoreApplication::sendEvent(&probe, &ping);
    QCOMPARE(log, QStringList{u"after ping 1"_s});
}

void tst_EventHooks::refusedSubclasses_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("no widget") << 0 << u"Invalid window handle."_s;
    QTest::newRow("object of another thread")
        << 1 << u"Window handle belongs to another process."_s;
    QTest::newRow("no callback") << 2 << u"Callback method not found."_s;
}

void tst_EventHooks::refusedSubclasses()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    Probe probe;
    QObject stranger;
    bool hooked = true;
    if (kind == 0) {
        hooked = hooks->sc_Subclass(nullptr, 0, Recorder());
    } else if (kind == 1) {
        // Widgets stay in the GUI thread; other objects may leave it. One
        // detached from every thread is not ours either, and can come back.
        stranger.moveToThread(nullptr);
        hooked = hooks->sc_Subclass(&stranger, 0, Recorder());
        stranger.moveToThread(QThread::currentThread());
        QVERIFY(stranger.findChildren<HookBlock *>().isEmpty());
    } else {
        hooked = hooks->sc_Subclass(&probe, 0, {});
    }
    QVERIFY(!hooked);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].routine, u"sc_Subclass"_s);
    QCOMPARE(errors[0].Text(), text);
    QVERIFY(probe.findChildren<HookBlock *>().isEmpty());
}

void tst_EventHooks::tableOverflowAndSlotReuse()
{
    Probe probe;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    HookBlock *block = probe.findChild<HookBlock *>();
    QVERIFY(block);
    for (int m = 1; m <= EventHooks::MSG_ENTRIES; ++m)
        hooks->sc_WatchMessage(&probe, 2000 + m, EventHooks::HOOK_AFTER);
    QVERIFY(errors.isEmpty());
    QCOMPARE(block->After().Count(), 32);

    hooks->sc_WatchMessage(&probe, 3000, EventHooks::HOOK_AFTER);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].Title(), u"Error in ucCalendar.zAddMsg"_s);
    QCOMPARE(errors[0].Text(),
             u"Message table overflow. Either increase the value of Const MSG_ENTRIES or use "
             u"ALL_MESSAGES instead of specific message values."_s);

    // A full table refuses before it looks: a message present already, or one
    // that would fit a freed slot, is an overflow too.
    hooks->sc_WatchMessage(&probe, 2005, EventHooks::HOOK_AFTER);
    QCOMPARE(errors.size(), 2);
    hooks->sc_UnwatchMessage(&probe, 2010, EventHooks::HOOK_AFTER);
    hooks->sc_WatchMessage(&probe, 3000, EventHooks::HOOK_AFTER);
    QCOMPARE(errors.size(), 3);
    QCOMPARE(block->After().Entry(10), 0);
    // Below the limit a freed slot takes the next message, and a present one is quiet.
    hooks->sc_WatchMessage(&probe, 4000, EventHooks::HOOK_BEFORE);
    hooks->sc_WatchMessage(&probe, 4001, EventHooks::HOOK_BEFORE);
    hooks->sc_UnwatchMessage(&probe, 4000, EventHooks::HOOK_BEFORE);
    hooks->sc_WatchMessage(&probe, 4002, EventHooks::HOOK_BEFORE);
    hooks->sc_WatchMessage(&probe, 4001, EventHooks::HOOK_BEFORE);
    QCOMPARE(errors.size(), 3);
    QCOMPARE(block->Before().Count(), 2);
    QCOMPARE(block->Before().Entry(1), 4002);
}

void tst_EventHooks::allMessagesAndNarrowing()
{
    Probe probe;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    hooks->sc_WatchMessage(&probe, EventHooks::ALL_MESSAGES, EventHooks::HOOK_BEFORE);
    QEvent pong(Pong);
    QCoreApplication::sendEvent(&probe, &pong);
    QCOMPARE(log, QStringList{u"before other 0"_s});

    // Naming one message narrows "all" to that one.
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_BEFORE);
    log.clear();
    QCoreApplication::sendEvent(&probe, &pong);
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&probe, &ping);
    QCOMPARE(log, QStringList{u"before ping 0"_s});

    hooks->sc_UnwatchMessage(&probe, EventHooks::ALL_MESSAGES, EventHooks::HOOK_BEFORE);
    log.clear();
    QCoreApplication::sendEvent(&probe, &ping);
    QVERIFY(log.isEmpty());
    QVERIFY(errors.isEmpty());
}

void tst_EventHooks::removingAnUnknownMessageIsReported()
{
    Probe probe;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    hooks->sc_WatchMessage(&probe, 0x2C, EventHooks::HOOK_AFTER);
    hooks->sc_UnwatchMessage(&probe, 0x2B, EventHooks::HOOK_AFTER);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].Title(), u"Error in ucCalendar.zDelMsg"_s);
    QCOMPARE(errors[0].Text(), u"Message &H2B not found in table."_s);
    QCOMPARE(errors[0].LogEntry(), u"ucCalendar.zDelMsg: Message &H2B not found in table"_s);
}

void tst_EventHooks::lookupsReportWhatIsMissing()
{
    Probe hooked, other;
    hooks->sc_WatchMessage(&hooked, Ping, EventHooks::HOOK_AFTER);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].Title(), u"Error in ucCalendar.zMap_hWnd"_s);
    QCOMPARE(errors[0].Text(), u"Subclassing hasn't been started."_s);

    QVERIFY(hooks->sc_Subclass(&hooked, 0, Recorder()));
    QCOMPARE(hooks->sc_UserValue(&other), 0);
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors[1].routine, u"zMap_hWnd"_s);
    QCOMPARE(errors[1].Text(), u"Window handle isn't subclassed."_s);

    // Unhooking a widget that was never hooked reports and harms nothing.
    hooks->sc_UnSubclass(&other);
    QCOMPARE(errors.size(), 3);
    QCOMPARE(errors[2].Text(), u"Window handle isn't subclassed."_s);
    hooks->sc_WatchMessage(&hooked, Ping, EventHooks::HOOK_AFTER);
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&hooked, &ping);
    QCOMPARE(log, QStringList{u"after ping 1"_s});
}

void tst_EventHooks::noCallbackAfterUnsubclass()
{
    Probe probe;
    probe.log = &log;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_BEFORE | EventHooks::HOOK_AFTER);
    hooks->sc_UnSubclass(&probe);
    QEvent ping(Ping);
    QVERIFY(QCoreApplication::sendEvent(&probe, &ping));
    QCOMPARE(log, QStringList{u"widget ping"_s});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(probe.findChildren<HookBlock *>().isEmpty());
    // The widget can be hooked afresh.
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    QVERIFY(errors.isEmpty());
}

void tst_EventHooks::unsubclassWhileBusyWaitsForTheOutermostCall()
{
    Probe probe;
    probe.log = &log;
    QVERIFY(hooks->sc_Subclass(&probe, 0, Recorder()));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_AFTER);
    hooks->sc_WatchMessage(&probe, Pong, EventHooks::HOOK_AFTER);
    const QPointer<HookBlock> block = probe.findChild<HookBlock *>();

    QList<int> busyInside;
    QList<bool> installedInside;
    // Ping's handler sends Pong to the same widget; Pong's handler unhooks it.
    probe.onPong = [&](QEvent *) {
        hooks->sc_UnSubclass(&probe);
        busyInside.append(block->BusyCount());
        installedInside.append(block->Installed());
    };
    probe.onPing = [&](QEvent *) {
        QEvent pong(Pong);
        QCoreApplication::sendEvent(&probe, &pong);
        busyInside.append(block->BusyCount());
        installedInside.append(block->Installed());
    };
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&probe, &ping);

    QCOMPARE(busyInside, (QList<int>{2, 1}));
    QCOMPARE(installedInside, (QList<bool>{true, true}));
    // Neither after call ran: the hook was shutting down.
    QCOMPARE(log, (QStringList{u"widget ping"_s, u"widget pong"_s}));
    QVERIFY(block);
    QVERIFY(!block->Installed());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!block);
}

void tst_EventHooks::unsubclassAllStopsEverything()
{
    Probe first, second;
    QVERIFY(hooks->sc_Subclass(&first, 0, Recorder()));
    QVERIFY(hooks->sc_Subclass(&second, 0, Recorder()));
    for (QObject *w : {static_cast<QObject *>(&first), static_cast<QObject *>(&second)})
        hooks->sc_WatchMessage(w, EventHooks::ALL_MESSAGES, EventHooks::HOOK_AFTER);
    hooks->sc_UnSubclassAll();
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&first, &ping);
    QCoreApplication::sendEvent(&second, &ping);
    QVERIFY(log.isEmpty());
    hooks->sc_WatchMessage(&first, Ping, EventHooks::HOOK_AFTER);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].Text(), u"Subclassing hasn't been started."_s);
}

void tst_EventHooks::goneWidgetsAreSkipped()
{
    auto *probe = new Probe;
    QVERIFY(hooks->sc_Subclass(probe, 0, Recorder()));
    delete probe;
    hooks->sc_UnSubclassAll();
    QVERIFY(errors.isEmpty());

    Probe fresh;
    QVERIFY(hooks->sc_Subclass(&fresh, 0, Recorder()));
    hooks->sc_WatchMessage(&fresh, Ping, EventHooks::HOOK_AFTER);
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&fresh, &ping);
    QCOMPARE(log, QStringList{u"after ping 1"_s});
}

void tst_EventHooks::userValueAndCallPrevious()
{
    Probe probe;
    probe.log = &log;
    qint32 seenValue = -1;
    QVERIFY(hooks->sc_Subclass(&probe, 42,
                               [&](bool, bool &, qint32 &, QObject *, QEvent *, qint32 &value) {
                                   seenValue = value;
                                   value = 43;
                               }));
    QCOMPARE(hooks->sc_UserValue(&probe), 42);
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_BEFORE);
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&probe, &ping);
    QCOMPARE(seenValue, 42);
    QCOMPARE(hooks->sc_UserValue(&probe), 43);
    hooks->sc_SetUserValue(&probe, 7);
    QCOMPARE(hooks->sc_UserValue(&probe), 7);

    // The widget's own handling, without the callback.
    log.clear();
    seenValue = -1;
    probe.result = false;
    QCOMPARE(hooks->sc_CallPrevious(&probe, &ping), 0);
    probe.result = true;
    QCOMPARE(hooks->sc_CallPrevious(&probe, &ping), 1);
    QCOMPARE(log, (QStringList{u"widget ping"_s, u"widget ping"_s}));
    QCOMPARE(seenValue, -1);

    Probe other;
    QCOMPARE(hooks->sc_CallPrevious(&other, &ping), 0);
    QCOMPARE(errors.size(), 1);
}

void tst_EventHooks::twoOwnersChainTheirHooks()
{
    Probe probe;
    probe.log = &log;
    EventHooks later(u"ucCalendar"_s);
    later.setReporter([this](const EventHooks::Error &error) { errors.append(error); });
    const auto tagged = [this](const QString &owner) -> EventHooks::Callback {
        return [this, owner](bool before, bool &, qint32 &, QObject *, QEvent *, qint32 &) {
            log.append(owner + (before ? u" before"_s : u" after"_s));
        };
    };
    QVERIFY(hooks->sc_Subclass(&probe, 0, tagged(u"first"_s)));
    QVERIFY(later.sc_Subclass(&probe, 0, tagged(u"second"_s)));
    for (EventHooks *owner : {hooks.get(), &later})
        owner->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_BEFORE | EventHooks::HOOK_AFTER);
    QEvent ping(Ping);
    QCoreApplication::sendEvent(&probe, &ping);
    QCOMPARE(log, (QStringList{u"second before"_s, u"first before"_s, u"widget ping"_s,
                               u"first after"_s, u"second after"_s}));

    // The later owner's previous handling is the earlier owner's hook.
    log.clear();
    later.sc_CallPrevious(&probe, &ping);
    QCOMPARE(log, (QStringList{u"first before"_s, u"widget ping"_s, u"first after"_s}));

    // Either may leave first; the other keeps its callbacks.
    log.clear();
    hooks->sc_UnSubclass(&probe);
    QCoreApplication::sendEvent(&probe, &ping);
    QCOMPARE(log, (QStringList{u"second before"_s, u"widget ping"_s, u"second after"_s}));
    QVERIFY(hooks->sc_Subclass(&probe, 0, tagged(u"third"_s)));
    hooks->sc_WatchMessage(&probe, Ping, EventHooks::HOOK_AFTER);
    later.sc_UnSubclass(&probe);
    log.clear();
    QCoreApplication::sendEvent(&probe, &ping);
    QCOMPARE(log, (QStringList{u"widget ping"_s, u"third after"_s}));

    // Three owners on one window: the middle one leaves, the chain closes over it,
    // and delivery still starts at the newest.
    Probe three;
    three.log = &log;
    EventHooks middle(u"ucCalendar"_s), newest(u"ucCalendar"_s);
    QVERIFY(hooks->sc_Subclass(&three, 0, tagged(u"oldest"_s)));
    QVERIFY(middle.sc_Subclass(&three, 0, tagged(u"middle"_s)));
    QVERIFY(newest.sc_Subclass(&three, 0, tagged(u"newest"_s)));
    for (EventHooks *owner : {hooks.get(), &middle, &newest})
        owner->sc_WatchMessage(&three, Ping, EventHooks::HOOK_BEFORE);
    middle.sc_UnSubclass(&three);
    log.clear();
    QCoreApplication::sendEvent(&three, &ping);
    QCOMPARE(log, (QStringList{u"newest before"_s, u"oldest before"_s, u"widget ping"_s}));
    QVERIFY(errors.isEmpty());
}

void tst_EventHooks::defaultReporterLogsAndShowsABox()
{
    hooks->setReporter({});
    Probe probe;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    QTest::ignoreMessage(QtWarningMsg, "ucCalendar.zMap_hWnd: Subclassing hasn't been started");
    hooks->sc_WatchMessage(&probe, 0x2B, EventHooks::HOOK_AFTER);
    QCOMPARE(title, u"Error in ucCalendar.zMap_hWnd"_s);
    QCOMPARE(text, u"Subclassing hasn't been started."_s);
    QCOMPARE(icon, QMessageBox::Warning);
}

QTEST_MAIN(tst_EventHooks)
#include "tst_eventhooks.moc"
