// Mernalt Lirvane: lists the background music of a QQ Zone space.
#include <QApplication>

#include "app/entry_routine.h"
#include "regex/regex_object.h"

// The one regular-expression object, shared with the fetch worker.
RegexObject* g_regex = nullptr;

namespace {

// Runs once, after the event loop has ended.
void destroyRegex() {
  delete g_regex;
  g_regex = nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  g_regex = new RegexObject;
  const int exitCode = runMainWindow(*g_regex);
  destroyRegex();
  return exitCode;
}
