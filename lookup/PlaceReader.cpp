#include "lookup/PlaceReader.h"

#include "lookup/LookupMessages.h"
#include "lookup/Places.h"

void PlaceReader::Guarded(const std::function<void()>& read) {
    try {
        read();
    } catch (const Failure& f) {
        report.notes.push_back(NotReadNote(Cut(f.Subject()), f.Code(), s_.env.ErrorText(f.Code())));
    }
}

Opener PlaceReader::Machine() {
    return [this](const std::wstring& path, std::uint32_t access) {
        return OpenPlace(s_.registry, {win::HKeyLocalMachine, path}, access);
    };
}

Opener PlaceReader::ControlSet() {
    return [this](const std::wstring& path, std::uint32_t access) { return windows_->Open(path, access); };
}

Opener PlaceReader::Of(const User& user) {
    return [this, &user](const std::wstring& path, std::uint32_t access) {
        return user.hive ? user.hive->Open(InUserFile(user.Key(path).path), access)
                         : OpenPlace(s_.registry, user.Key(path), access);
    };
}

void PlaceReader::EachSubKey(const Opener& open, const std::wstring& path,
    const std::function<void(const std::wstring& name, RegistryKey& key)>& take) {
    Guarded([&] {
        const std::unique_ptr<RegistryKey> parent = open(path, win::KeyEnumerateSubKeys);
        for (const std::wstring& name : parent ? parent->SubKeys() : std::vector<std::wstring>{})
            Guarded([&] {
                if (const std::unique_ptr<RegistryKey> key = open(path + L"\\" + name, win::KeyQueryValue))
                    take(name, *key);
            });
    });
}

std::wstring PlaceReader::AdapterName(const std::wstring& guid) {
    std::wstring name;
    Guarded([&] {
        if (const std::unique_ptr<RegistryKey> key =
                windows_->Open(AdapterNames + guid + L"\\Connection", win::KeyQueryValue))
            name = Cut(key->ReadText(L"Name", ValueCap).value_or(L""));
    });
    return name;
}
