#pragma once
// The small drawing of the alarm settings: a vertical and a horizontal axis
// and a staircase rising to the right, from the value at the lower band
// temperature to the value at the upper one.

#include <QWidget>

class AlarmRamp : public QWidget {
    Q_OBJECT

public:
    explicit AlarmRamp(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
