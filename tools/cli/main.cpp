// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

#include "cliapp.h"
#include "helperclient.h"

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]); // file names must come back byte for byte

    // As a user, changes go through the root helper, which asks polkit first.
    if (::geteuid() != 0)
        HelperClient::install();

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");
    return CliApp(out, err).run(arguments);
}
