#include "console.h"

#include "console_p.h"

Console::Console(QObject *parent) : QObject(parent)
{
    ConsoleSystem::watchInterrupts(this);
}

Console::~Console()
{
    ConsoleSystem::stopWatching();
}

void Console::write(Stream stream, const QString &text)
{
    ConsoleSystem::write(stream, text);
}

bool Console::isTerminal(Stream stream)
{
    return ConsoleSystem::isTerminal(stream);
}

int Console::width(Stream stream)
{
    const int columns = ConsoleSystem::width(stream);
    return columns > 0 ? columns : 80;
}
