#pragma once
// TControlOf: a Qt widget that is also a TComponent, so that a control has an owner, takes part in
// the owner's notifications (a data source removed from the form reaches the controls that use it)
// and can be the control of a data link. The owner and the Qt parent are given separately, as the
// platform's controls get an owner when created and a parent when placed; either may delete the
// control first, the other then forgets it.
//
// Also the event types of the platform's controls: the sender is the control that raises the
// event; an empty function means "not assigned". Key codes are Qt's (Qt::Key_Up for the up arrow);
// a handler may change the key or set it to 0 to swallow it.
#include "platform/core/Component.h"

#include <QChar>
#include <QObject>
#include <QWidget>
#include <functional>

using TControlNotifyEvent = std::function<void(QObject* sender)>;
using TKeyPressEvent = std::function<void(QObject* sender, QChar& key)>;
using TKeyEvent = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;

template <class QtWidget> class TControlOf : public QtWidget, public TComponent
{
public:
    explicit TControlOf(TComponent* owner = nullptr, QWidget* parent = nullptr)
        : QtWidget(parent), TComponent(owner)
    {
    }
    // The owned components (inner controls among them) go while this widget still exists.
    ~TControlOf() override { DestroyComponents(); }
};
