#pragma once
// The Qt Widgets side of the standard dialogs: each runs one real modal dialog.
#include "framework/core/Types.h"

#include <QColor>
#include <QFont>
#include <QStringList>

class QPrinter;

namespace qel::Bridge {

struct TFileDialogRequest {
    QString Title, Directory, FileName, DefaultSuffix;
    QStringList NameFilters;  // "Description (*.ext *.ext2)"
    int FilterIndex = 0;      // 0-based
    bool Save = false, MultiSelect = false, ExistingOnly = false, OverwritePrompt = false;
};
// True when accepted; then Files and FilterIndex hold the choice.
bool RunFileDialog(const TFileDialogRequest& Request, QStringList& Files, int& FilterIndex);
bool RunFontDialog(const QString& Title, QFont& Font, bool ScalableOnly, bool FixedPitchOnly);
// Custom colours in and out: 16 entries, an invalid colour leaves that slot as it is.
bool RunColorDialog(const QString& Title, QColor& Color, QList<QColor>& CustomColors);
// Page range and copies in and out; the printer keeps the chosen destination.
bool RunPrintDialog(QPrinter& Printer, const QString& Title, bool PageNums, bool Selection, int MinPage,
                    int MaxPage, int& FromPage, int& ToPage, int& Copies);
// Buttons and result use the message dialog's button bits and modal results.
int RunMessageDialog(const QString& Text, const QString& Caption, int Type, uint32_t Buttons);

}  // namespace qel::Bridge
