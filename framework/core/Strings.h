#pragma once
// TStrings / TStringList: ordered lists of text lines, each with an optional object.
#include "framework/core/Export.h"
#include "framework/core/Component.h"

#include <span>
#include <vector>

namespace qel {

class TStream;

// Lines read back from Text end in this break; text on Linux ends lines with LF.
inline constexpr const char* sLineBreak = "\n";

class QEL_FRAMEWORK_EXPORT TStrings : public TPersistent {
    Q_OBJECT
public:
    TStrings() = default;

    virtual int Count() const = 0;
    virtual String Get(int Index) const = 0;
    virtual void Put(int Index, const String& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    virtual void Insert(int Index, const String& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual int IndexOf(const String& S) const;  // letter case ignored

    String Strings(int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    int Add(const String& S);
    virtual int AddObject(const String& S, TObject* AObject);
    void InsertObject(int Index, const String& S, TObject* AObject);
    void AddStrings(const TStrings* Strings);
    void AddStrings(const std::vector<String>& Lines);
    void Move(int CurIndex, int NewIndex);
    void Exchange(int Index1, int Index2);
    int IndexOfObject(const TObject* AObject) const;

    // Every line followed by LineBreak; setting splits at CR LF, a lone CR and a lone LF.
    virtual String Text() const;
    virtual void SetText(const String& Value);
    String LineBreak = sLineBreak;
    std::vector<String> ToVector() const;

    void Assign(TPersistent* Source) override;
    bool Equals(const TStrings* Strings) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    void SaveToStream(TStream* Stream) const;
    void LoadFromStream(TStream* Stream);
    void SaveToFile(const String& FileName) const;  // EFCreateError
    void LoadFromFile(const String& FileName);      // EFOpenError

protected:
    virtual void SetUpdateState(bool /*Updating*/) {}
    void CheckIndex(int Index, int Limit) const;  // EListError unless 0 <= Index < Limit

private:
    int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class QEL_FRAMEWORK_EXPORT TStringList : public TStrings {
    Q_OBJECT
public:
    Q_INVOKABLE TStringList() = default;

    int Count() const override { return static_cast<int>(FList.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    int IndexOf(const String& S) const override;
    int AddObject(const String& S, TObject* AObject) override;
    void SetText(const String& Value) override;

    // Large texts: a line read in place, and lines moved in at the end (without objects) rather
    // than copied one by one. A sorted list inserts each in its place.
    const String& Line(int Index) const;  // EListError out of range
    void Reserve(int Lines);              // room for that many lines without regrowing
    void AddMoved(std::span<String> Lines);       // each line is left empty
    void AddMoved(std::vector<String>&& Lines);  // the vector is left empty

    // A sorted list keeps its lines in order: Add inserts in place, Insert is refused.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates = dupAccept;
    bool CaseSensitive = false;
    bool Find(const String& S, int& Index) const;  // binary search in a sorted list
    void Sort();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    void Changed();
    void Changing();

private:
    struct Item {
        String Text;
        TObject* Object = nullptr;
    };
    int Compare(const String& a, const String& b) const;
    void InsertItem(int Index, const String& S, TObject* AObject);

    std::vector<Item> FList;
    bool FSorted = false;
};

// Letter case ignored, for any UTF-8 text (ASCII takes a fast path).
QEL_FRAMEWORK_EXPORT int CompareTextUtf8(const String& a, const String& b);

}  // namespace qel
