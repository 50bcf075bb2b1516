#pragma once

#include <functional>

class QObject;

// A plain event whose only argument is the object that raised it.
using TNotifyEvent = std::function<void(QObject* Sender)>;
