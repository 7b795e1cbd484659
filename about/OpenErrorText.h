#pragma once

#include <QString>

// The message for a shell result code that did not open a link.
QString OpenErrorText(int code);
