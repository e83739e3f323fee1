# Blinks the user LED once a second.
import time
import r7io

led = r7io.Led(1)
while True:
    led.toggle()
    time.sleep(1.0)
