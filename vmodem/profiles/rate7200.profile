# An older Rockwell-like voice modem that samples at 7200 Hz only, a rate no codec offers:
# its compressions are recognised but none can be matched to a codec format.
# Profile format: see the top of voice.profile.
name: 7200 Hz voice modem
voice: yes
callerid: yes
dead: no

ATI4 => RC336 Voice
AT+GMM? => RC336DPFL
AT+GMI? => ROCKWELL
AT+GMR? => V1.400

AT+VSM=? =>
| 1,"UNSIGNED PCM",8,0,(7200),0,0
| 2,"ULAW",8,0,(7200),0,0
| 129,"IMA ADPCM",4,0,(7200),0,0
AT+VGR=? => (0-255)
AT+VGT=? => (0-255)
AT+VLS=? =>
| 0,"",B0000000,B0000000,B0000000
| 1,"T",0BC01800,0BC01800,0BC01800
