#include "chart/TransferFunction.h"

TransferFunction::TransferFunction(int length, const quint16* c0, const quint16* c1,
                                   const quint16* c2)
{
    assign(length, c0, c1, c2);
}

TransferFunction::TransferFunction(const TransferFunctionIF& other)
{
    assign(other.length(), other.curve(0), other.curve(1), other.curve(2));
}

TransferFunction::TransferFunction(const TransferFunction& other)
    : TransferFunction(static_cast<const TransferFunctionIF&>(other))
{
}

TransferFunction& TransferFunction::operator=(const TransferFunctionIF& other)
{
    if (this != &other) {
        TransferFunction copy(other);
        std::swap(m_channels, copy.m_channels);
        std::swap(m_length, copy.m_length);
        for (int i = 0; i < 3; ++i)
            m_curves[i].swap(copy.m_curves[i]);
    }
    return *this;
}

TransferFunction& TransferFunction::operator=(const TransferFunction& other)
{
    return *this = static_cast<const TransferFunctionIF&>(other);
}

TransferFunction::~TransferFunction() = default;

void TransferFunction::assign(int length, const quint16* c0, const quint16* c1, const quint16* c2)
{
    clear();
    const quint16* curves[3] = {c0, c1, c2};
    int channels = 0;
    while (channels < 3 && curves[channels])
        ++channels;
    if (channels == 0 || length <= 0)
        return;
    m_channels = channels;
    m_length = length;
    for (int i = 0; i < channels; ++i)
        m_curves[i].assign(curves[i], curves[i] + length);
}

void TransferFunction::clear()
{
    m_channels = 0;
    m_length = 0;
    for (auto& c : m_curves) {
        c.clear();
        c.shrink_to_fit();
    }
}

const quint16* TransferFunction::curve(int i) const
{
    return i >= 0 && i < m_channels ? m_curves[i].data() : nullptr;
}
