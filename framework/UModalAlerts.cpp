#include "framework/UModalAlerts.h"

#include "framework/LException.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTimer>

namespace {

UModalAlerts::Handler& AlertHandler()
{
    static UModalAlerts::Handler handler;
    return handler;
}

}

AlertText UModalAlerts::GetAlertText(ResIDT alertID)
{
    QFile file(QStringLiteral(":/resources/Alerts.json"));
    if (!file.open(QIODevice::ReadOnly))
        Throw_(err_NilPointer, "alert resources are missing");
    QJsonObject alerts = QJsonDocument::fromJson(file.readAll()).object();
    QJsonValue entry = alerts.value(QString::number(alertID));
    if (!entry.isObject())
        Throw_(err_NilPointer, "no alert " + std::to_string(alertID));
    QJsonObject object = entry.toObject();
    return AlertText { object.value("kind").toString().toStdString(), object.value("title").toString().toStdString(),
        object.value("text").toString().toStdString(), object.value("detail").toString().toStdString() };
}

void UModalAlerts::StopAlert(ResIDT alertID)
{
    ShowAlert(alertID, GetAlertText(alertID).detail);
}

void UModalAlerts::ShowAlert(ResIDT alertID, const std::string& detail)
{
    ShowAlert(alertID, detail, 0);
}

void UModalAlerts::ShowAlert(ResIDT alertID, const std::string& detail, int closeAfterSeconds)
{
    AlertText text = GetAlertText(alertID);
    text.detail = detail;
    if (AlertHandler()) {
        AlertHandler()(alertID, text);
        return;
    }
    QMessageBox::Icon icon = text.kind == "note" ? QMessageBox::Information
        : text.kind == "caution"                 ? QMessageBox::Warning
                                                 : QMessageBox::Critical;
    QMessageBox box(icon, QString::fromStdString(text.title), QString::fromStdString(text.text), QMessageBox::Ok);
    box.setInformativeText(QString::fromStdString(text.detail));
    if (closeAfterSeconds > 0)
        QTimer::singleShot(closeAfterSeconds * 1000, &box, &QMessageBox::reject);
    box.exec();
}

void UModalAlerts::SetHandler(Handler handler)
{
    AlertHandler() = std::move(handler);
}
