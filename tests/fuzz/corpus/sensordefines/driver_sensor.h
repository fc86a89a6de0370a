// Quembrel sensor definitions: which sensor models offer each optional
// feature, and the register code of each DPI value the sensors accept.
// Each line is "#define", one blank, the name, one tab, the value.

#define SUPPORT_SENSOR_MODE_SEL	3395
#define SUPPORT_LOD_CAL	3395,3950
#define SUPPORT_RIPPLE	3395,3950
#define SUPPORT_FIXLINE	3395,3950
#define SUPPORT_MOTION_SYNC	3395,3950
#define SUPPORT_MOUSEPAD_CAL	3950

// Sensor 3395: register code of each DPI from 50 to 12800 in steps of 50.
// Higher values use the range flags of the stage: the DPI of the code is
// doubled (flags 0x22 or 0x11) or taken four times (0x33).
#define SENSOR_3395_DPI_50	0x00
#define SENSOR_3395_DPI_100	0x01
#define SENSOR_3395_DPI_150	0x02
#define SENSOR_3395_DPI_200	0x03
#define SENSOR_3395_DPI_250	0x04
#define SENSOR_3395_DPI_300	0x05
#define SENSOR_3395_DPI_350	0x06
#define SENSOR_3395_DPI_400	0x07
#define SENSOR_3395_DPI_450	0x08
#define SENSOR_3395_DPI_500	0x09
#define SENSOR_3395_DPI_550	0x0A
#define SENSOR_3395_DPI_600	0x0B

// Sensor 3950: register code of each DPI from 50 to 12800 in steps of 50.
// Higher values use the range flags of the stage: the DPI of the code is
// doubled (flags 0x22 or 0x11) or taken four times (0x33).
#define SENSOR_3950_DPI_50	0x00
#define SENSOR_3950_DPI_100	0x01
#define SENSOR_3950_DPI_150	0x02
#define SENSOR_3950_DPI_200	0x03
#define SENSOR_3950_DPI_250	0x04
#define SENSOR_3950_DPI_300	0x05
#define SENSOR_3950_DPI_350	0x06
#define SENSOR_3950_DPI_400	0x07
#define SENSOR_3950_DPI_450	0x08
#define SENSOR_3950_DPI_500	0x09
#define SENSOR_3950_DPI_550	0x0A
#define SENSOR_3950_DPI_600	0x0B
#define SENSOR_3950_DPI_26000	0x81 // four times 6500
