#pragma once

#include <QWidget>

#include "core/Splash.h"

class QLabel;

namespace bw {

// The start-up splash: the name of the step under way and a row of progress dots.
class Loading : public QWidget, public SplashView {
    Q_OBJECT
public:
    explicit Loading(QWidget* parent = nullptr);

    void set_step(std::string_view name) override;
    void set_dots(std::string_view dots) override;
    void open() override;
    void close() override;

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }

private:
    QLabel* label1_;
    QLabel* label2_;
};

}  // namespace bw
