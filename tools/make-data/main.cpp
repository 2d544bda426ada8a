// Writes the reference notes, the polyrhythm examples and 440.wav into a folder:
//   make-data resources/reference

#include "ReferenceFiles.h"

#include <cstdio>

#include <QDir>
#include <QFile>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-data FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const auto& file : referencefiles::allFiles()) {
        QFile out(folder.filePath(file.name));
        if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    return 0;
}
