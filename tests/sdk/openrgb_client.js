// The npm package openrgb-sdk, a lighting client written by others, against the
// application started with the simulated devices: it lists the four controllers with
// their types and LED counts, sets every keyboard LED in Direct mode, and reads from
// the application's debug output what the simulated keyboard was sent.
//   node openrgb_client.js PORT APP_LOG
const fs = require("fs")
const { Client } = require("openrgb-sdk")

const port = Number(process.argv[2])
const appLog = process.argv[3]
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms))

function fail(why) {
    console.error("FAIL: " + why)
    process.exit(1)
}

async function connected() {
    for (let i = 0; i < 100; ++i) {
        const client = new Client("vivori test", port, "127.0.0.1")
        try {
            await client.connect()
            return client
        } catch (e) {
            await sleep(200)
        }
    }
    fail("the application does not listen on port " + port)
}

// The keyboard's LED area as the streamed colours left it: "simulated keys lit at
// OFFSET: HEX" lines of the debug output, in order.
function keyboardArea() {
    const area = Buffer.alloc(512)
    const text = fs.readFileSync(appLog, "latin1")
    for (const m of text.matchAll(/simulated keys lit at (\d+): ([0-9a-f]+)/g))
        Buffer.from(m[2], "hex").copy(area, Number(m[1]))
    return area
}

async function main() {
    const client = await connected()
    console.log("protocol version " + client.protocolVersion)
    // The keyboard is listed once it has been read.
    let count = 0
    for (let i = 0; i < 100 && count < 4; ++i) {
        count = await client.getControllerCount()
        if (count < 4) await sleep(200)
    }
    if (count != 4) fail("expected 4 controllers, got " + count)
    const devices = await client.getAllControllerData()
    for (const d of devices)
        console.log(`controller ${d.deviceId}: type ${d.type} "${d.name}" ${d.leds.length} LEDs, ` +
                    `${d.zones.length} zones, ${d.modes.length} modes`)
    const byType = (t) => devices.find((d) => d.type == t) || fail("no controller of type " + t)
    const keyboard = byType(5), mouse = byType(6), pad = byType(7), headset = byType(8)
    if (mouse.leds.length != 15) fail("mouse LEDs: " + mouse.leds.length)
    if (pad.leds.length != 14) fail("mouse pad LEDs: " + pad.leds.length)
    if (headset.leds.length != 13) fail("headset LEDs: " + headset.leds.length)
    if (keyboard.leds.length < 60) fail("keyboard LEDs: " + keyboard.leds.length)
    if (keyboard.zones.length != 1 || keyboard.zones[0].type != 2) fail("keyboard zone is not a matrix")
    if (!keyboard.leds.some((l) => l.name == "Key: A")) fail("no LED named \"Key: A\"")
    if (keyboard.modes[0].name != "Direct") fail("the first mode is " + keyboard.modes[0].name)

    // Every key its own colour (2-254 in every channel, so the frame's scaling keeps them apart).
    const colours = keyboard.leds.map((_, i) => ({
        red: 2 + ((i * 5) % 250), green: 254 - (i % 250), blue: 2 + ((i * 11) % 250) }))
    await client.updateMode(keyboard.deviceId, "Direct")
    client.updateLeds(keyboard.deviceId, colours)

    const scaled = (v) => Math.floor(v * 255 / 256)
    const wanted = colours.map((c) => [scaled(c.red), scaled(c.green), scaled(c.blue)].join(","))
    let missing = wanted
    for (let i = 0; i < 100 && missing.length; ++i) {
        await sleep(100)
        const area = keyboardArea()
        const shown = new Set()
        for (let at = 0; at + 3 <= area.length; at += 3)
            shown.add([area[at], area[at + 1], area[at + 2]].join(","))
        missing = wanted.filter((w) => !shown.has(w))
    }
    if (missing.length) fail(`${missing.length} of ${wanted.length} key colours never reached the keyboard`)
    console.log(`all ${wanted.length} key colours reached the simulated keyboard`)
    client.disconnect()
}

main().catch((e) => fail(e && e.stack ? e.stack : String(e)))
