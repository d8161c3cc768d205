#pragma once
// TQELRTFFile: writes a Rich Text Format file from body lines the host builds. The Add... methods
// are plain string builders: nothing is parsed or escaped, the host's text goes in unchanged.
#include "framework/core/Classes.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <memory>

namespace qel {

class QEL_WIDGETS_EXPORT TQELRTFFile : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(String Filename MEMBER Filename)
    Q_PROPERTY(qel::TStrings* Text READ Text WRITE SetTexty)
    Q_CLASSINFO("default:About", "")
public:
    Q_INVOKABLE explicit TQELRTFFile(TComponent* AOwner);
    ~TQELRTFFile() override;

    TStrings* Text() const { return FText.get(); }
    void SetTexty(TStrings* Value) { FText->Assign(Value); }

    static String AddText(const String& S) { return S; }
    static String AddBold(bool On);
    static String AddFont(int32_t FontNo, int32_t Size);  // Size in half points
    static String AddColor(bool On);                      // a paragraph with tab stops, no colour
    static String AddTab();
    static String AddEnter();
    static String NewPage();
    static String AddPlain();
    static String AddHidden(const String& S);
    static String AddUnder(const String& S);
    static String AddDUnder(const String& S);
    static String AddFootnote(const String& Mark, const String& Note);
    static String AddKeepNext(bool On);
    static String GetEnd();

    // Appends (never clears) the header lines and then the body.
    void GetBegin(TStrings* Strings) const;
    // Always True; writes Filename + ".rtf" unless Filename is empty. EFCreateError when it cannot.
    virtual bool Execute();

    TQELAboutFreeStr About;
    String Filename;

private:
    std::unique_ptr<TStringList> FText;
};

}  // namespace qel
