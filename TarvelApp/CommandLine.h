#pragma once

// --help and --version answered on the terminal before the application object exists,
// so they need no display and open no window.

#include <QCommandLineParser>

namespace tarvel {

// `parser` has its help and version options. When one of them is asked for, prints the
// answer (the version is Tarvel's) and ends the process; else returns, and everything
// else, Qt's own options too, is left for parser.process() once the application exists.
void answerHelpAndVersion(QCommandLineParser &parser, int argc, char **argv);

} // namespace tarvel
