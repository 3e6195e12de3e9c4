#include "sock/Component.h"

#include <algorithm>

namespace zintra {

namespace {

constexpr const char* DesigningProperty = "zintraDesigning";

bool OwnerIsDesigning(const QObject* owner) {
    if (!owner) {
        return false;
    }
    if (const auto* component = qobject_cast<const TComponent*>(owner)) {
        return component->ComponentState().Designing;
    }
    return owner->property(DesigningProperty).toBool();
}

[[noreturn]] void InvalidValue(const StoredProperty& property) {
    throw EReadError("Invalid property value: " + property.Name);
}

class ReadingFlag {
public:
    explicit ReadingFlag(TComponentState& state) : state_(state) { state.Reading = true; }
    ~ReadingFlag() { state_.Reading = false; }
    ReadingFlag(const ReadingFlag&) = delete;
    ReadingFlag& operator=(const ReadingFlag&) = delete;

private:
    TComponentState& state_;
};

} // namespace

TComponent::TComponent(QObject* Owner) : QObject(Owner) {
    state_.Designing = OwnerIsDesigning(Owner);
}

void TComponent::SetDesigning(QObject* form, bool designing) {
    form->setProperty(DesigningProperty, designing);
}

void ReadComponents(std::span<const StoredComponent> components) {
    for (const auto& [component, properties] : components) {
        ReadingFlag reading(component->state_);
        for (const StoredProperty& property : properties) {
            component->ApplyStoredProperty(property);
        }
    }
    for (const StoredComponent& stored : components) {
        stored.Component->AfterLoad();
    }
}

bool StoredBool(const StoredProperty& property) {
    if (property.Value.typeId() != QMetaType::Bool) {
        InvalidValue(property);
    }
    return property.Value.toBool();
}

std::int32_t StoredInt(const StoredProperty& property) {
    bool ok = false;
    const qlonglong value = property.Value.toLongLong(&ok);
    const bool integral =
        property.Value.typeId() == QMetaType::Int || property.Value.typeId() == QMetaType::LongLong;
    if (!ok || !integral || value < INT32_MIN || value > INT32_MAX) {
        InvalidValue(property);
    }
    return std::int32_t(value);
}

std::string StoredText(const StoredProperty& property) {
    if (property.Value.typeId() == QMetaType::QByteArray) {
        return property.Value.toByteArray().toStdString();
    }
    if (property.Value.typeId() == QMetaType::QString) {
        return property.Value.toString().toStdString();
    }
    InvalidValue(property);
}

int StoredEnum(const StoredProperty& property, std::span<const char* const> identifiers) {
    if (property.Value.typeId() == QMetaType::QString ||
        property.Value.typeId() == QMetaType::QByteArray) {
        const std::string name = StoredText(property);
        const auto it = std::find(identifiers.begin(), identifiers.end(), name);
        if (it == identifiers.end()) {
            InvalidValue(property);
        }
        return int(it - identifiers.begin());
    }
    const std::int32_t ordinal = StoredInt(property);
    if (ordinal < 0 || ordinal >= int(identifiers.size())) {
        InvalidValue(property);
    }
    return ordinal;
}

} // namespace zintra
