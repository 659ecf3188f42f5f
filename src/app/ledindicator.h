#pragma once
// A small round indicator lamp: one foreground colour (a colour value of
// wincolour.h) and the widget's visibility are all it has.

#include <QWidget>
#include <cstdint>

namespace Common {

class LedIndicator : public QWidget {
    Q_OBJECT
public:
    explicit LedIndicator(QWidget* parent = nullptr);

    void setForeColor(std::uint32_t value);
    std::uint32_t foreColor() const { return foreColor_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::uint32_t foreColor_ = 0;
};

} // namespace Common
