#include "SettingsText.h"

std::string Describe(const Settings& s)
{
    return "type=" + std::to_string(s.softwareType) + " TYPE=" + std::to_string(s.machineModel) +
        " LOG=" + std::to_string(s.runLog) + " PORT=" + s.printerPort + " RATE=" + std::to_string(s.printerBaud) +
        " Density=" + std::to_string(s.imageDensity) + " LINESPACE=" + std::to_string(s.lineSpacing) +
        " ControlType=" + std::to_string(s.drawerControl) + " BOARD=" + s.boardType + " SCALE.PORT=" + s.scalePort +
        " SCALE.RATE=" + std::to_string(s.scaleBaud) + " ALARM=" + std::to_string(s.negativeWeightAlarm);
}
