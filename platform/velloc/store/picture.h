#pragma once

#include "velloc/core/object.h"

#include <QByteArray>
#include <QImage>

namespace velloc {

// The platform's standard picture object: holds an image or none, and has a non-zero handle
// while it holds one. Shared by reference like every object.
class VELLOC_EXPORT Picture final : public Object {
public:
    static std::shared_ptr<Picture> create(QImage image = {});
    // Loads an image file; keeps the file's own encoding for saving.
    static Result<std::shared_ptr<Picture>> load(const QString& path);
    // Decodes PNG, JPEG, BMP, GIF or ICO data; anything else (SVG among them) is refused.
    static Result<std::shared_ptr<Picture>> fromData(const QByteArray& encoded);

    QString className() const override { return QStringLiteral("Picture"); }
    const DispatchTable& dispatch() const override;
    bool sameValue(const Object* other) const override;

    bool isEmpty() const { return m_image.isNull(); }
    const QImage& image() const { return m_image; }
    void setImage(QImage image);
    std::uintptr_t handle() const;

    // The encoded form kept in property bags: the original file's bytes, or PNG.
    QByteArray encoded() const;

private:
    QImage m_image;
    QByteArray m_encoded;
};

} // namespace velloc
