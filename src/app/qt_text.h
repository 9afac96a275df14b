// Conversion between the program's GBK Text and the QString the widgets show.
#pragma once

#include <QString>

#include "common/text.h"

QString toQString(const Text& text);
Text toText(const QString& text);
