#include "framework/core/FormFiles.h"

#include "framework/core/Collection.h"
#include "framework/core/FormValues.h"
#include "framework/core/Streams.h"
#include "framework/core/Strings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <functional>

namespace qel {

using namespace FormValues;

namespace {

constexpr int FormatVersion = 1;

// ---------------------------------------------------------------- writing

// Q_CLASSINFO("stored:Prop", "Method") names an invokable `bool Method() const` that decides, per
// instance, whether Prop is written (a colour taken from the parent is not).
bool StoredFor(QObject* Instance, const QMetaObject* Meta, const char* PropName)
{
    const QByteArray key = QByteArray("stored:") + PropName;
    const int index = Meta->indexOfClassInfo(key.constData());
    if (index < 0) return true;
    bool stored = true;
    QMetaObject::invokeMethod(Instance, Meta->classInfo(index).value(), Qt::DirectConnection, Q_RETURN_ARG(bool, stored));
    return stored;
}

class TFormWriter {
public:
    explicit TFormWriter(TComponent* Root) : FRoot(Root) {}

    QJsonObject WriteComponent(TComponent* C)
    {
        QJsonObject obj;
        obj["class"] = QString::fromStdString(C->ClassName());
        obj["name"] = QString::fromStdString(C->Name());
        const QJsonObject props = WriteProperties(C);
        if (!props.isEmpty()) obj["properties"] = props;
        QJsonArray children;
        for (int i = 0; i < C->ComponentCount(); ++i)
            if (!C->Components(i)->Name().empty()) children.append(WriteComponent(C->Components(i)));
        if (!children.isEmpty()) obj["components"] = children;
        return obj;
    }

private:
    QJsonObject WriteProperties(QObject* Instance)
    {
        QJsonObject props;
        const QMetaObject* meta = Instance->metaObject();
        for (const QMetaProperty& p : PublishedProperties(meta)) {
            if (!p.isStored() || !p.isReadable() || !StoredFor(Instance, meta, p.name())) continue;
            if (auto v = WriteProperty(p, meta, Instance)) props[QString::fromLatin1(p.name())] = *v;
        }
        return props;
    }

    std::optional<QJsonValue> WriteProperty(const QMetaProperty& P, const QMetaObject* Meta, QObject* Instance)
    {
        switch (KindOf(P)) {
        case TPropertyKind::Simple: {
            if (!P.isWritable()) return std::nullopt;
            const QVariant v = P.read(Instance);
            if (!ShouldWriteSimple(P, Meta, v)) return std::nullopt;
            return ToJson(P, v);
        }
        case TPropertyKind::Reference: {
            auto* ref = dynamic_cast<TComponent*>(ObjectValue(P, Instance));
            if (!ref) return std::nullopt;
            return QString::fromStdString(ReferenceName(ref));
        }
        case TPropertyKind::Collection: {
            auto* coll = dynamic_cast<TCollection*>(ObjectValue(P, Instance));
            if (!coll || coll->Count() == 0) return std::nullopt;
            QJsonArray items;
            for (int i = 0; i < coll->Count(); ++i) items.append(WriteProperties(coll->Items(i)));
            return items;
        }
        case TPropertyKind::Strings: {
            auto* lines = dynamic_cast<TStrings*>(ObjectValue(P, Instance));
            if (!lines || lines->Count() == 0) return std::nullopt;
            QJsonArray arr;
            for (int i = 0; i < lines->Count(); ++i) arr.append(QString::fromStdString(lines->Get(i)));
            return arr;
        }
        case TPropertyKind::Persistent: {
            QObject* sub = ObjectValue(P, Instance);
            if (!sub) return std::nullopt;
            const QJsonObject props = WriteProperties(sub);
            if (props.isEmpty()) return std::nullopt;
            return props;
        }
        }
        return std::nullopt;
    }

    // A component of this tree by its name; one elsewhere as Owner.Name.
    String ReferenceName(TComponent* Ref) const
    {
        if (Ref == FRoot || Ref->Owner() == FRoot || !Ref->Owner() || Ref->Owner()->Name().empty())
            return Ref->Name();
        return Ref->Owner()->Name() + "." + Ref->Name();
    }

    TComponent* FRoot;
};

// ---------------------------------------------------------------- reading

struct TFixup {
    QObject* Instance;
    QMetaProperty Prop;
    String Target;
    String Path;
};

class TFormReader {
public:
    TFormReader(TComponent* Root, TComponent* Owner) : FRoot(Root), FOwner(Owner) {}

    TComponent* Read(const QJsonObject& Doc)
    {
        if (Doc.value("qelform").toInt() != FormatVersion || !Doc.value("root").isObject())
            throw EReadError("Not a form file: \"qelform\": 1 and a \"root\" object expected");
        try {
            const QJsonObject root = Doc.value("root").toObject();
            FRoot = ReadComponent(root, FRoot, FOwner, String());
            ResolveFixups();
            for (TComponent* c : FRead) c->Loaded();
            return FRoot;
        } catch (...) {
            Undo();
            throw;
        }
    }

private:
    // Existing is the component to fill (the root given by the caller), or nullptr.
    TComponent* ReadComponent(const QJsonObject& Obj, TComponent* Existing, TComponent* Owner, const String& OwnerPath)
    {
        const String cls = RequireString(Obj, "class", OwnerPath);
        const String name = Obj.value("name").toString().toStdString();
        const String path = OwnerPath.empty() ? (name.empty() ? cls : name) : OwnerPath + "." + name;
        TComponent* c = Existing ? Existing : (Owner ? Owner->FindComponent(name) : nullptr);
        if (c && c->ClassName() != cls)
            throw EReadError("Error reading " + path + ": the file names class " + cls + ", the component is a " + c->ClassName());
        if (!c) c = Create(cls, Owner, path);
        c->BeginLoading();
        FRead.push_back(c);
        if (!name.empty() && c->Name() != name) Guard(path + ".Name", [&] { c->SetName(name); });
        ReadProperties(c, Obj.value("properties"), path);
        const QJsonValue children = Obj.value("components");
        if (!children.isUndefined() && !children.isArray()) throw EReadError("Error reading " + path + ": \"components\" must be a list");
        for (const QJsonValue& child : children.toArray()) {
            if (!child.isObject()) throw EReadError("Error reading " + path + ": a component entry must be an object");
            ReadComponent(child.toObject(), nullptr, c, path);
        }
        return c;
    }

    TComponent* Create(const String& Cls, TComponent* Owner, const String& Path)
    {
        TClass meta = GetClass(Cls);
        if (!meta || !meta->inherits(ClassOf<TComponent>()))
            throw EReadError("Error reading " + Path + ": class " + Cls + " not found");
        QObject* obj = meta->newInstance(Q_ARG(TComponent*, Owner));
        if (!obj) throw EReadError("Error reading " + Path + ": class " + Cls + " cannot be created");
        auto* c = static_cast<TComponent*>(obj);
        FCreated.push_back(c);
        return c;
    }

    void ReadProperties(QObject* Instance, const QJsonValue& Props, const String& Path)
    {
        if (Props.isUndefined()) return;
        if (!Props.isObject()) throw EReadError("Error reading " + Path + ": properties must be an object");
        const QJsonObject obj = Props.toObject();
        const QMetaObject* meta = Instance->metaObject();
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            const String propPath = Path + "." + it.key().toStdString();
            const int index = meta->indexOfProperty(it.key().toUtf8().constData());
            if (index < QObject::staticMetaObject.propertyCount())
                throw EReadError("Error reading " + propPath + ": property does not exist");
            const QMetaProperty p = meta->property(index);
            if (!p.isStored()) throw EReadError("Error reading " + propPath + ": property is not stored");
            Guard(propPath, [&] { ReadProperty(Instance, p, it.value(), propPath); });
        }
    }

    void ReadProperty(QObject* Instance, const QMetaProperty& P, const QJsonValue& V, const String& Path)
    {
        switch (KindOf(P)) {
        case TPropertyKind::Simple:
            if (!P.write(Instance, FromJson(P, V))) throw EReadError("cannot be set");
            return;
        case TPropertyKind::Reference:
            if (!V.isString()) throw EReadError("expected a component name");
            FFixups.push_back({Instance, P, V.toString().toStdString(), Path});
            return;
        case TPropertyKind::Collection:
            return ReadCollection(dynamic_cast<TCollection*>(ObjectValue(P, Instance)), V, Path);
        case TPropertyKind::Strings: {
            auto* lines = dynamic_cast<TStrings*>(ObjectValue(P, Instance));
            if (!lines || !V.isArray()) throw EReadError("expected a list of lines");
            TStringList read;
            for (const QJsonValue& line : V.toArray()) {
                if (!line.isString()) throw EReadError("expected a list of lines");
                read.Add(line.toString().toStdString());
            }
            lines->Assign(&read);
            return;
        }
        case TPropertyKind::Persistent: {
            QObject* sub = ObjectValue(P, Instance);
            if (!sub) throw EReadError("has no object to read into");
            return ReadProperties(sub, V, Path);
        }
        }
    }

    void ReadCollection(TCollection* Coll, const QJsonValue& V, const String& Path)
    {
        if (!Coll || !V.isArray()) throw EReadError("expected a list of items");
        Coll->BeginUpdate();
        try {
            Coll->Clear();
            int i = 0;
            for (const QJsonValue& item : V.toArray())
                ReadProperties(Coll->Add(), item, Path + "[" + std::to_string(i++) + "]");
        } catch (...) {
            Coll->EndUpdate();
            throw;
        }
        Coll->EndUpdate();
    }

    void ResolveFixups()
    {
        for (const TFixup& f : FFixups) {
            TComponent* target = FindReference(f.Target);
            if (!target) throw EReadError("Error reading " + f.Path + ": component " + f.Target + " not found");
            Guard(f.Path, [&] {
                if (!WriteObject(f.Prop, f.Instance, target)) throw EReadError("component " + f.Target + " has the wrong class");
            });
        }
    }

    TComponent* FindReference(const String& Name) const
    {
        if (Name == FRoot->Name()) return FRoot;
        const size_t dot = Name.find('.');
        if (dot == String::npos) {
            if (TComponent* c = FRoot->FindComponent(Name)) return c;
            for (TComponent* c : FRead)
                if (c->Name() == Name) return c;
            return nullptr;
        }
        TComponent* owner = FindReference(Name.substr(0, dot));
        return owner ? owner->FindComponent(Name.substr(dot + 1)) : nullptr;
    }

    // Runs one step; any failure becomes an EReadError that names where it happened.
    static void Guard(const String& Path, const std::function<void()>& Step)
    {
        try {
            Step();
        } catch (const EReadError& e) {
            if (e.Message().rfind("Error reading ", 0) == 0) throw;
            throw EReadError("Error reading " + Path + ": " + e.Message());
        } catch (const std::exception& e) {
            throw EReadError("Error reading " + Path + ": " + e.what());
        }
    }

    static String RequireString(const QJsonObject& Obj, const char* Key, const String& Path)
    {
        const QJsonValue v = Obj.value(QLatin1String(Key));
        if (!v.isString() || v.toString().isEmpty())
            throw EReadError("Error reading " + (Path.empty() ? String("root") : Path) + ": component without \"" + Key + "\"");
        return v.toString().toStdString();
    }

    void Undo()
    {
        // Newest first: a component goes before the one that owns it, so no pointer dangles.
        for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) delete *it;
        for (TComponent* c : FRead)
            if (std::find(FCreated.begin(), FCreated.end(), c) == FCreated.end()) c->EndLoading();
    }

    TComponent* FRoot;
    TComponent* FOwner;
    std::vector<TComponent*> FCreated;
    std::vector<TComponent*> FRead;
    std::vector<TFixup> FFixups;
};

int LineOf(const QByteArray& Text, int Offset)
{
    return static_cast<int>(Text.left(Offset).count('\n')) + 1;
}

}  // namespace

String ComponentToText(TComponent* Root)
{
    QJsonObject doc;
    doc["qelform"] = FormatVersion;
    doc["root"] = TFormWriter(Root).WriteComponent(Root);
    return QJsonDocument(doc).toJson(QJsonDocument::Indented).toStdString();
}

void WriteComponentFile(const String& FileName, TComponent* Root)
{
    const String text = ComponentToText(Root);
    TFileStream file(FileName, fmCreate);
    file.WriteString(text);
}

TComponent* TextToComponent(const String& Text, TComponent* Root, TComponent* Owner)
{
    const QByteArray bytes = QByteArray::fromStdString(Text);
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError)
        throw EReadError("Invalid form file at line " + std::to_string(LineOf(bytes, err.offset)) + ": " +
                         err.errorString().toStdString());
    if (!doc.isObject()) throw EReadError("Invalid form file at line 1: an object was expected");
    return TFormReader(Root, Owner).Read(doc.object());
}

TComponent* ReadComponentFile(const String& FileName, TComponent* Root, TComponent* Owner)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
    return TextToComponent(file.ReadString(file.Size()), Root, Owner);
}

}  // namespace qel
