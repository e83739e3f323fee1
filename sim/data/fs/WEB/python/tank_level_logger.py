# Polls the tank level sensor on the mesh and logs readings above the alarm threshold.
import time
import zigbee

THRESHOLD = 850  # millimetres

def read_level(address):
    reply = zigbee.ddo_get_param(address, "IS")
    return int.from_bytes(reply[4:6], "big") if reply else None

while True:
    level = read_level("00:13:a2:00:40:5e:2a:91!")
    if level is not None and level > THRESHOLD:
        print("tank level %d mm > %d & rising" % (level, THRESHOLD))
    time.sleep(60)
