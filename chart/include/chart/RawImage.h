#pragma once
// Decoded image buffer: interleaved samples of 8 bits, 16 bits or 32-bit floats per
// channel, row after row, each row `stride()` bytes long (a multiple of 4).
//
// The image loader fills it, the patch grid measures it and the image item draws it.
// Besides the pixels it carries the size of the image before any shrinking on load
// (the "full" size) and the camera make, model and software texts.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class RawImageIF {
public:
    // Values of sampleType().
    enum SampleType { NoSamples = 0, Samples8 = 1, Samples16 = 2, SamplesFloat = 3 };

    virtual ~RawImageIF() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int channels() const = 0;
    // 8, 16 or 32 (float); 0 without pixels.
    virtual int bitsPerSample() const = 0;
    // 1, 2 or 4; 0 without pixels.
    virtual int bytesPerSample() const = 0;
    // One of SampleType.
    virtual int sampleType() const = 0;
    // Bytes from the start of one row to the start of the next.
    virtual std::size_t stride() const = 0;
    virtual bool isNull() const = 0;

    // Size before shrinking on load (0 x 0 when not known).
    virtual int fullWidth() const = 0;
    virtual int fullHeight() const = 0;
    virtual QString make() const = 0;
    virtual QString model() const = 0;
    virtual QString software() const = 0;

    // Interleaved samples of one row; null when the row is out of range or the
    // image has another sample type.
    virtual const std::uint8_t* rowData8(int row) const = 0;
    virtual std::uint8_t* rowData8(int row) = 0;
    virtual const std::uint16_t* rowData16(int row) const = 0;
    virtual std::uint16_t* rowData16(int row) = 0;
    virtual const float* rowDataFloat(int row) const = 0;
    virtual float* rowDataFloat(int row) = 0;
    // Raw bytes of one row whatever the sample type; null out of range.
    virtual const std::uint8_t* rowBytes(int row) const = 0;
    virtual std::uint8_t* rowBytes(int row) = 0;

    // Sample of channel c at (x, y) on the 8-bit (0..255) or the 16-bit (0..65535)
    // scale, converted from the stored type (16-bit to 8-bit rounds, floats are
    // clamped to 0..1 first). 0 for a position or channel out of range.
    virtual std::uint8_t sample8(int x, int y, int c) const = 0;
    virtual std::uint16_t sample16(int x, int y, int c) const = 0;
    // The stored value as a double (floats unscaled); 0 out of range.
    virtual double sampleValue(int x, int y, int c) const = 0;

    // Least and greatest stored value of channel c over the whole image. False
    // (and min = max = 0) without pixels or for a channel out of range; NaN
    // floats are skipped.
    virtual bool channelMinMax(int c, double& min, double& max) const = 0;

    // Stretches the samples so that the greatest value over all channels reaches
    // full scale (255, 65535 or 1.0). One factor for every channel, so colour
    // balance and linearity are kept and black stays at 0. False, with the pixels
    // unchanged, without pixels or when every sample is 0.
    virtual bool normalize() = 0;
};

class RawImage : public RawImageIF {
public:
    RawImage();
    // Allocates width x height x channels samples of bitsPerSample (8, 16 or 32
    // for float), zero-filled. A size that cannot be allocated leaves the image
    // null (check isNull()).
    RawImage(int width, int height, int channels, int bitsPerSample,
             const QString& make = QString(), const QString& model = QString(),
             const QString& software = QString(), int fullWidth = 0, int fullHeight = 0);
    RawImage(const RawImage& other);
    RawImage& operator=(const RawImage& other);
    RawImage(RawImage&& other) noexcept;
    RawImage& operator=(RawImage&& other) noexcept;
    ~RawImage() override;

    // Replaces the pixels by a new zero-filled buffer and sets the texts and the
    // full size. False (image left null) for a width, height or channel count
    // below 1, more than 4096 channels, bits other than 8, 16 or 32, a buffer
    // beyond addressable size, or an allocation failure.
    bool allocate(int width, int height, int channels, int bitsPerSample,
                  const QString& make = QString(), const QString& model = QString(),
                  const QString& software = QString(), int fullWidth = 0, int fullHeight = 0);
    void clear();

    void setMake(const QString& make);
    void setModel(const QString& model);
    void setSoftware(const QString& software);
    void setFullSize(int fullWidth, int fullHeight);

    int width() const override;
    int height() const override;
    int channels() const override;
    int bitsPerSample() const override;
    int bytesPerSample() const override;
    int sampleType() const override;
    std::size_t stride() const override;
    bool isNull() const override;
    int fullWidth() const override;
    int fullHeight() const override;
    QString make() const override;
    QString model() const override;
    QString software() const override;
    const std::uint8_t* rowData8(int row) const override;
    std::uint8_t* rowData8(int row) override;
    const std::uint16_t* rowData16(int row) const override;
    std::uint16_t* rowData16(int row) override;
    const float* rowDataFloat(int row) const override;
    float* rowDataFloat(int row) override;
    const std::uint8_t* rowBytes(int row) const override;
    std::uint8_t* rowBytes(int row) override;
    std::uint8_t sample8(int x, int y, int c) const override;
    std::uint16_t sample16(int x, int y, int c) const override;
    double sampleValue(int x, int y, int c) const override;
    bool channelMinMax(int c, double& min, double& max) const override;
    bool normalize() override;

private:
    bool inRange(int x, int y, int c) const;

    int m_width = 0;
    int m_height = 0;
    int m_channels = 0;
    int m_bits = 0;
    std::size_t m_stride = 0;
    std::unique_ptr<std::uint8_t[]> m_data;
    int m_fullWidth = 0;
    int m_fullHeight = 0;
    QString m_make;
    QString m_model;
    QString m_software;
};

// New RawImage with its buffer allocated (no make, model or software, full size
// 0 x 0); null when the arguments are refused or the buffer cannot be allocated.
// The caller owns it.
RawImageIF* createRawImage(int width, int height, int channels, int bitsPerSample);

// Deep copy of an image that is a RawImage; null otherwise (or when the copy
// cannot be allocated). The caller owns it.
RawImageIF* cloneRawImage(const RawImageIF* image);
