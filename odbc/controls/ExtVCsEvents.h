#pragma once
// Kinds and event types shared by the library's small controls. The sender of every event is the
// control that raises it; an empty function means "not assigned". Key codes are Qt's (Qt::Key_Up
// for the up arrow); a handler may change the key or set it to 0 to swallow it.
#include <QChar>
#include <QObject>
#include <functional>

enum TIntFloatKind
{
    ifkInt,
    ifkFloat,
};

using TControlNotifyEvent = std::function<void(QObject* sender)>;
using TKeyPressEvent = std::function<void(QObject* sender, QChar& key)>;
using TKeyEvent = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;
