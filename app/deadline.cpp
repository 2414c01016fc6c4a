#include "deadline.h"

#include "g.h"

Deadline::Deadline(G *client, int ms)
{
    Timer.setSingleShot(true);
    QObject::connect(&Timer, &QTimer::timeout, client, [this, client] {
        Passed = true;
        client->Abort();
    });
    Timer.start(ms);
}
