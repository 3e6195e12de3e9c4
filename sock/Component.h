#pragma once

#include "base/StreamErrors.h"

#include <QObject>
#include <QVariant>
#include <span>
#include <string>
#include <vector>

namespace zintra {

// The flags a component carries while its form is designed or its stored properties are read.
struct TComponentState {
    bool Designing = false;
    bool Reading = false;
};

// One property as a form stores it: the name and the value, applied in stored order.
struct StoredProperty {
    std::string Name;
    QVariant Value;
};
using StoredProperties = std::vector<StoredProperty>;

class TComponent;

// A component of a form with the properties stored for it.
struct StoredComponent {
    TComponent* Component;
    StoredProperties Properties;
};

// A non-visual part of a form: owned by its form (the QObject parent), in design mode when the
// form is, and set up from the form's stored properties.
class TComponent : public QObject {
    Q_OBJECT
public:
    explicit TComponent(QObject* Owner);

    const TComponentState& ComponentState() const { return state_; }

    // Marks a form as open in a designer; components made for it afterwards are in design mode.
    static void SetDesigning(QObject* form, bool designing);

    // Runs the property's setter with the stored value; throws EReadError for a stranger.
    virtual void ApplyStoredProperty(const StoredProperty& property) = 0;
    // The step after the whole form has been read.
    virtual void AfterLoad() {}

private:
    friend void ReadComponents(std::span<const StoredComponent> components);
    TComponentState state_;
};

// Reads a form's components: each one's stored properties in their stored order through its
// setters with its reading flag set; then, the whole form read, AfterLoad of each in turn.
// A failure ends the reading and reaches the caller, the reading flags cleared.
void ReadComponents(std::span<const StoredComponent> components);

// Stored-value conversions shared by the components' setter tables.
bool StoredBool(const StoredProperty& property);
std::int32_t StoredInt(const StoredProperty& property);
std::string StoredText(const StoredProperty& property);
// An enumeration stored by its identifier ("stStream") or by its ordinal.
int StoredEnum(const StoredProperty& property, std::span<const char* const> identifiers);

} // namespace zintra
