#pragma once
#include <QString>
#include <optional>

// Reads a value of a program file's version block. The program carries its
// version block in the build: "FileVersion" is the project version the build
// was made from. Stateless; create one for a query and drop it.
class TFileInfo {
public:
    // The text stored under key in the version block of fileName; empty when
    // the file does not exist or the block has no such key.
    QString GetVersionValue(const QString& fileName, const QString& key) const;
};

// The main window caption: captionTitle + " [" + version + "]", so an empty
// version gives captionTitle + " []". Without a version query at all
// (std::nullopt) the caption is captionTitle + " [X.X.X.X]".
QString MainCaption(const QString& captionTitle, const std::optional<QString>& version);

// The caption for the running program: its file version read with TFileInfo.
QString MainCaptionForProgram(const QString& captionTitle, const QString& programFile);
