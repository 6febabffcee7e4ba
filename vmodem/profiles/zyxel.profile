# A ZyXEL U-1496-like voice modem: semicolon-separated list with unquoted names, 9600 Hz only,
# and none of its compressions (CELP, ADPCM) is one the program can record.
# Profile format: see the top of voice.profile.
name: ZyXEL U-1496 voice modem
voice: yes
callerid: yes
dead: no

ATI0 => 1496
ATI1 => ERROR
ATI4 => ERROR
AT+GMM? => ERROR
AT+GMI? => ERROR
AT+GMR? => ERROR
AT+FMM? => U-1496E
AT+FMI? => ZyXEL
AT+FMR? => V 6.16

AT+VSM=? =>
| 1;CELP;1;0;(9600)
| 2;ADPCM;2;0;(9600)
| 3;ADPCM;3;0;(9600)
AT+VGR=? => ERROR
AT+VGT=? => 0-255
AT+VLS=? =>
| 0;"";B0000000;B0000000;B0000000
| 1;"T";0BC01800;0BC01800;0BC01800
