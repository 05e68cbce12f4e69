#pragma once
// The model of the relay the program is working with. Pages and operations ask it for the code
// and the class (M or not) and listen to its signals to rebuild themselves when a link check, a
// file or the user selects another model; nobody fans the change out by hand.
#include "common/relay_family.h"

#include <QObject>

namespace tirv {

class DeviceModel : public QObject {
    Q_OBJECT
public:
    explicit DeviceModel(int code, QObject* parent = nullptr);

    int code() const { return m_code; }
    bool isM() const { return IsMModelCode(m_code); }
    void setCode(int code);

    static bool IsMModelCode(int code) { return IsMModel(code); }
    static constexpr int kFirstMCode = kFirstMModelCode;
    static constexpr int kDefaultCode = kDefaultModelCode;

signals:
    // Every change of the code; `classChanged` follows when the class changed with it.
    void changed(int code);
    void classChanged(bool mModel);

private:
    int m_code;
};

}  // namespace tirv
