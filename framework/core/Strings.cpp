#include "framework/core/Strings.h"

#include "framework/core/LineSplitter.h"
#include "framework/core/Streams.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <utility>

namespace qel {

QEL_REGISTER_CLASS(TStringList);

namespace {

bool IsAscii(const String& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

int CompareTextUtf8(const String& a, const String& b)
{
    if (IsAscii(a) && IsAscii(b)) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const int x = std::tolower(static_cast<unsigned char>(a[i]));
            const int y = std::tolower(static_cast<unsigned char>(b[i]));
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    const int r = QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// ---- TStrings

void TStrings::CheckIndex(int Index, int Limit) const
{
    if (Index < 0 || Index >= Limit) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStrings::Put(int Index, const String& S)
{
    TObject* obj = GetObject(Index);
    BeginUpdate();
    Delete(Index);
    InsertObject(Index, S, obj);
    EndUpdate();
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

int TStrings::IndexOf(const String& S) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareTextUtf8(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::Add(const String& S) { return AddObject(S, nullptr); }

int TStrings::AddObject(const String& S, TObject* AObject)
{
    const int index = Count();
    InsertObject(index, S, AObject);
    return index;
}

void TStrings::InsertObject(int Index, const String& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings* Strings)
{
    if (!Strings) return;
    BeginUpdate();
    for (int i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
    EndUpdate();
}

void TStrings::AddStrings(const std::vector<String>& Lines)
{
    BeginUpdate();
    for (const String& s : Lines) Add(s);
    EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex) return;
    CheckIndex(NewIndex, Count());
    const String s = Get(CurIndex);
    TObject* obj = GetObject(CurIndex);
    BeginUpdate();
    Delete(CurIndex);
    InsertObject(NewIndex, s, obj);
    EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1, Count());
    CheckIndex(Index2, Count());
    const String s1 = Get(Index1);
    TObject* o1 = GetObject(Index1);
    BeginUpdate();
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, s1);
    PutObject(Index2, o1);
    EndUpdate();
}

int TStrings::IndexOfObject(const TObject* AObject) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

String TStrings::Text() const
{
    String out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += LineBreak;
    }
    return out;
}

void TStrings::SetText(const String& Value)
{
    BeginUpdate();
    Clear();
    TLineSplitter lines;
    const auto add = [this](String&& Line) { Add(Line); };
    lines.Feed(Value, add);
    lines.Finish(add);
    EndUpdate();
}

std::vector<String> TStrings::ToVector() const
{
    std::vector<String> v;
    v.reserve(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
    return v;
}

void TStrings::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TStrings*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    Clear();
    AddStrings(src);
    EndUpdate();
}

bool TStrings::Equals(const TStrings* Strings) const
{
    if (!Strings || Strings->Count() != Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != Strings->Get(i)) return false;
    return true;
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SaveToStream(TStream* Stream) const
{
    Stream->WriteString(Text());
}

void TStrings::LoadFromStream(TStream* Stream)
{
    const int64_t left = Stream->Size() - Stream->Position();
    SetText(Stream->ReadString(left));
}

void TStrings::SaveToFile(const String& FileName) const
{
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}

void TStrings::LoadFromFile(const String& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(&file);
}

// ---- TStringList

String TStringList::Get(int Index) const
{
    CheckIndex(Index, Count());
    return FList[static_cast<size_t>(Index)].Text;
}

void TStringList::Put(int Index, const String& S)
{
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    CheckIndex(Index, Count());
    Changing();
    FList[static_cast<size_t>(Index)].Text = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const
{
    CheckIndex(Index, Count());
    return FList[static_cast<size_t>(Index)].Object;
}

void TStringList::PutObject(int Index, TObject* AObject)
{
    CheckIndex(Index, Count());
    Changing();
    FList[static_cast<size_t>(Index)].Object = AObject;
    Changed();
}

void TStringList::Insert(int Index, const String& S)
{
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    CheckIndex(Index, Count() + 1);
    InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject)
{
    Changing();
    if (Index == Count())
        FList.push_back(Item{S, AObject});
    else
        FList.insert(FList.begin() + Index, Item{S, AObject});
    Changed();
}

void TStringList::Delete(int Index)
{
    CheckIndex(Index, Count());
    Changing();
    FList.erase(FList.begin() + Index);
    Changed();
}

void TStringList::Clear()
{
    if (FList.empty()) return;
    Changing();
    FList.clear();
    Changed();
}

int TStringList::Compare(const String& a, const String& b) const
{
    if (CaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return CompareTextUtf8(a, b);
}

int TStringList::IndexOf(const String& S) const
{
    if (FSorted) {
        int index = -1;
        return Find(S, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(FList[static_cast<size_t>(i)].Text, S) == 0) return i;
    return -1;
}

int TStringList::AddObject(const String& S, TObject* AObject)
{
    if (!FSorted) {
        InsertItem(Count(), S, AObject);
        return Count() - 1;
    }
    int index = 0;
    if (Find(S, index)) {
        if (Duplicates == dupIgnore) return index;
        if (Duplicates == dupError) throw EListError("String list does not allow duplicates");
    }
    InsertItem(index, S, AObject);
    return index;
}

void TStringList::SetText(const String& Value)
{
    BeginUpdate();
    TStrings::SetText(Value);
    EndUpdate();
}

void TStringList::Reserve(int Lines)
{
    if (Lines > 0) FList.reserve(static_cast<size_t>(Lines));
}

const String& TStringList::Line(int Index) const
{
    CheckIndex(Index, Count());
    return FList[static_cast<size_t>(Index)].Text;
}

void TStringList::AddMoved(std::span<String> Lines)
{
    if (Lines.empty()) return;
    BeginUpdate();
    if (FSorted) {
        for (String& s : Lines) Add(std::exchange(s, String()));
    } else {
        Changing();
        FList.reserve(FList.size() + Lines.size());
        for (String& s : Lines) FList.push_back(Item{std::exchange(s, String()), nullptr});
        Changed();
    }
    EndUpdate();
}

void TStringList::AddMoved(std::vector<String>&& Lines)
{
    std::vector<String> lines = std::move(Lines);
    AddMoved(std::span<String>(lines));
}

bool TStringList::Find(const String& S, int& Index) const
{
    // Lower bound, so that among equal lines the first is found and a new one goes before them.
    int lo = 0;
    int hi = Count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (Compare(FList[static_cast<size_t>(mid)].Text, S) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    Index = lo;
    return lo < Count() && Compare(FList[static_cast<size_t>(lo)].Text, S) == 0;
}

void TStringList::SetSorted(bool Value)
{
    if (Value == FSorted) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::Sort()
{
    Changing();
    std::stable_sort(FList.begin(), FList.end(), [this](const Item& a, const Item& b) { return Compare(a.Text, b.Text) < 0; });
    Changed();
}

void TStringList::SetUpdateState(bool Updating)
{
    if (Updating)
        Changing();
    else
        Changed();
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

}  // namespace qel
