#pragma once

// --help and --version answered on the terminal before the application object exists,
// so they need no display and open no window, in the user's language.

#include <QCommandLineParser>

#include <functional>

namespace tarvel {

// Gives a parser a program's description, options and arguments, its help and version
// options too, in the language whose translator is installed when it is called.
using DescribeCommandLine = std::function<void(QCommandLineParser &)>;

// When --help or --version is asked for, prints the answer (the version is Tarvel's) in
// the user's language, Qt's own words ("Usage:") too, and ends the process; else returns,
// and everything else, Qt's own options too, is left for a parser that `describe` gives
// the same texts, processed once the application exists.
void answerHelpAndVersion(const DescribeCommandLine &describe, int argc, char **argv);

} // namespace tarvel
