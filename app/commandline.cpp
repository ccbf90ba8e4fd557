#include "app/commandline.h"

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            result.request = ShowHelp;
            return result;
        }
        if (arg == QLatin1String("--version")) {
            result.request = ShowVersion;
            return result;
        }
        if (!arg.startsWith(QLatin1Char('-')))
            result.files.append(arg);
    }
    return result;
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: mossglen [FILE]...\n"
        "Edit web documents (HTML, CSS, JavaScript, PHP) in tabs.\n"
        "\n"
        "Each FILE is opened in its own tab; a FILE that does not exist is\n"
        "offered for creation.\n"
        "\n"
        "  --help     show this text and exit\n"
        "  --version  show the version and exit\n");
}
