#pragma once

#include "directory/ValueArea.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class tNDS;

// One directory object being read: the names of all its attributes, learnt once, and
// the values of one attribute at a time as text lines. Every read goes through the
// directory's context and reports its failures through the directory's ReportError;
// a failed read keeps what it had produced.
class TNW4Object
{
public:
    // Reads the object's attribute names and its "CN" at once (CommonName is empty when
    // the object has no "CN"). The directory must outlive the object.
    TNW4Object(tNDS &directory, const QString &objectName);
    TNW4Object(const TNW4Object &) = delete;
    TNW4Object &operator=(const TNW4Object &) = delete;

    // Whether the object carries the attribute, in any letter case. While no name is
    // known, the names are read (again) first.
    bool HasAttribute(const QString &name);
    // Appends the lines of the attribute's values to lines and returns their count
    // (see ReadAttributeValues); 0 without any read when the object lacks the attribute.
    uint16_t ReadValues(const QString &name, QStringList &lines);
    // The attribute's value lines, or nothing when there is no line.
    std::optional<QStringList> GetValues(const QString &name);
    // The attribute's first value line, or empty text.
    QString GetFirstValue(const QString &name);
    QString GetCN();

    // Adds the object's attribute names, in upper case, to Attributes in the
    // directory's order.
    void ReadAttributeNames();
    // Appends the text lines of all the attribute's values to lines and returns the
    // number of lines it then holds (at most 65535: a larger count reads as 65535).
    // syntaxId receives the syntax the directory reports for the attribute. An
    // unrecognised syntax ends the read like a failing call.
    uint16_t ReadAttributeValues(const QString &name, uint32_t &syntaxId, QStringList &lines);

    // The object's attribute names in upper case, in the directory's order; empty until
    // first needed.
    const QStringList &Attributes() const { return attributes_; }

    tNDS &Directory;
    const QString ObjectName;
    QString CommonName;

private:
    // Reports a failing NWDSRead of the names (values false) or of the values.
    void ReportReadFailure(const QString &prefix, int32_t code, bool values) const;

    QStringList attributes_;
    // One bit per name of attributes_, chosen by its hash: most names that are not in
    // the list are told at once, without comparing.
    uint64_t attributeBits_ = 0;
    // ObjectName as the client takes it.
    const QByteArray clientName_;
    // Where the values read are written, one after the other.
    ValueArea valueArea_;
};
