#pragma once
// One to three 16-bit curves of equal length (a TIFF TransferFunction).

#include <QtGlobal>

#include <vector>

class TransferFunctionIF {
public:
    virtual ~TransferFunctionIF() = default;
    virtual void clear() = 0;
    virtual int channelCount() const = 0;
    virtual int length() const = 0;
    // Curve i, or null for i outside 0 .. channelCount() - 1.
    virtual const quint16* curve(int i) const = 0;
};

class TransferFunction : public TransferFunctionIF {
public:
    TransferFunction() = default;
    // Channel count: 0 when c0 is null, else the number of curves given before the
    // first null (c0, c1, c2 in order). Curves are copied when the count and the
    // length are positive; otherwise none is held.
    TransferFunction(int length, const quint16* c0, const quint16* c1 = nullptr,
                     const quint16* c2 = nullptr);
    TransferFunction(const TransferFunctionIF& other);
    TransferFunction(const TransferFunction& other);
    TransferFunction& operator=(const TransferFunctionIF& other);
    TransferFunction& operator=(const TransferFunction& other);
    ~TransferFunction() override;

    void clear() override;
    int channelCount() const override { return m_channels; }
    int length() const override { return m_length; }
    const quint16* curve(int i) const override;

private:
    void assign(int length, const quint16* c0, const quint16* c1, const quint16* c2);

    int m_channels = 0;
    int m_length = 0;
    std::vector<quint16> m_curves[3];
};
