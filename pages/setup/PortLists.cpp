#include "PortLists.h"

const std::vector<std::string> scalePortList = {
    "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "COM10", "COM11", "COM12"};

const std::vector<std::string> printerPortList = {"USB", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "LPT1"};

const std::vector<std::string> baudRateList = {"9600", "19200", "38400", "115200"};
