// SPDX-License-Identifier: GPL-2.0
/*
 * Fake DDC/CI monitors and a fake panel backlight for the kernel tests.
 *
 * Registers two I2C adapters, one per monitor, each with a plain-I2C
 * master_xfer that answers only the DDC/CI address 0x37 (i2c-stub speaks
 * SMBus only, and DDC/CI is plain I2C). In each adapter's sysfs directory:
 *
 *   writes    one line per write, oldest first, as hex bytes starting with the
 *             data address, " refused" appended when it was refused; writing
 *             anything clears it, ends a busy window and drops a pending reply
 *   level     the luminance (default 50), also set by a taken Set VCP Feature
 *             for luminance (51 84 03 10 hi lo checksum)
 *   maximum   the luminance maximum it reports (default 100)
 *
 * After a taken Get VCP Feature request for luminance (51 82 01 10 checksum)
 * a plain read returns the 11-byte reply with both; with no request pending a
 * read fails with -ENXIO.
 *
 * The module parameter "busy_ms" (write-only, at any time) gives every
 * monitor a real monitor's busy window: for that long after it took a
 * message, write or read, any message is refused with -ENXIO. A reply is
 * ready 40 ms after its request, DDC/CI's reply delay, when the window is
 * longer. 0, the default, takes every message.
 *
 * And "glimmerbox_panel", a raw backlight (maximum 1000, brightness 500 at
 * first), stands in for a laptop's panel.
 */

#include <linux/backlight.h>
#include <linux/i2c.h>
#include <linux/kernel.h>
#include <linux/ktime.h>
#include <linux/module.h>
#include <linux/mutex.h>
#include <linux/string.h>

#define DDC_CI_ADDRESS 0x37
/* Enough for the tests' longest run of writes between two clears, and
 * few enough that the record fits the one page sysfs shows. */
#define MAX_RECORDED_WRITES 128
/* A DDC/CI write is short; longer messages are truncated in the record. */
#define MAX_RECORDED_BYTES 16
#define MONITORS 2
#define LUMINANCE 0x10
#define REPLY_LENGTH 11
#define REPLY_DELAY_MS 40

struct recorded_write {
	u8 bytes[MAX_RECORDED_BYTES];
	u8 length;
	bool refused;
};

struct fake_monitor {
	struct i2c_adapter adapter;
	u16 level, maximum; /* each a single store: sysfs sets them without the lock */
	struct mutex lock; /* guards everything below */
	struct recorded_write writes[MAX_RECORDED_WRITES];
	unsigned int write_count;
	ktime_t last_taken; /* long past at first and after a clear */
	bool reply_pending;
};

/* The data address and the first bytes of the luminance commands. */
static const u8 set_luminance[] = { 0x51, 0x84, 0x03, LUMINANCE };
static const u8 get_luminance[] = { 0x51, 0x82, 0x01, LUMINANCE };

static unsigned int busy_ms;
module_param(busy_ms, uint, 0200);
MODULE_PARM_DESC(busy_ms, "how long a monitor refuses messages after the last it took");

static struct fake_monitor fake_monitors[MONITORS];
static struct backlight_device *fake_panel;

/* The checksum covers the display's address 0x6E and every byte before it. */
static bool is_command(const struct i2c_msg *msg, const u8 *start, u16 length)
{
	u8 checksum = 0x6E;
	u16 i;

	if (msg->len != length || memcmp(msg->buf, start, sizeof(set_luminance)))
		return false;
	for (i = 0; i < msg->len; i++)
		checksum ^= msg->buf[i];
	return checksum == 0;
}

static void take_command(struct fake_monitor *monitor, const struct i2c_msg *msg)
{
	if (is_command(msg, set_luminance, sizeof(set_luminance) + 3))
		WRITE_ONCE(monitor->level, (msg->buf[4] << 8) | msg->buf[5]);
	else if (is_command(msg, get_luminance, sizeof(get_luminance) + 1))
		monitor->reply_pending = true;
}

/* A Get VCP Feature reply; its checksum, the last byte, starts from the host's 0x50. */
static void fill_reply(const struct fake_monitor *monitor, u8 *buf, u16 length)
{
	u8 reply[REPLY_LENGTH] = { 0x6E, 0x88, 0x02, 0x00, LUMINANCE, 0x00, monitor->maximum >> 8,
				   monitor->maximum & 0xFF, monitor->level >> 8, monitor->level & 0xFF,
				   0x50 };
	unsigned int i;

	for (i = 0; i < REPLY_LENGTH - 1; i++)
		reply[REPLY_LENGTH - 1] ^= reply[i];
	memset(buf, 0, length);
	memcpy(buf, reply, min_t(u16, length, REPLY_LENGTH));
}

static int record_write(struct fake_monitor *monitor, const struct i2c_msg *msg)
{
	struct recorded_write *entry;
	bool refused;

	mutex_lock(&monitor->lock);
	refused = ktime_ms_delta(ktime_get(), monitor->last_taken) < READ_ONCE(busy_ms);
	if (monitor->write_count < MAX_RECORDED_WRITES) {
		entry = &monitor->writes[monitor->write_count++];
		entry->length = min_t(u16, msg->len, MAX_RECORDED_BYTES);
		memcpy(entry->bytes, msg->buf, entry->length);
		entry->refused = refused;
	}
	if (!refused) {
		monitor->last_taken = ktime_get();
		take_command(monitor, msg);
	}
	mutex_unlock(&monitor->lock);
	return refused ? -ENXIO : 0;
}

static int answer_read(struct fake_monitor *monitor, struct i2c_msg *msg)
{
	unsigned int ready_ms = min_t(unsigned int, READ_ONCE(busy_ms), REPLY_DELAY_MS);
	int status = -ENXIO;

	mutex_lock(&monitor->lock);
	if (monitor->reply_pending && ktime_ms_delta(ktime_get(), monitor->last_taken) >= ready_ms) {
		fill_reply(monitor, msg->buf, msg->len);
		monitor->reply_pending = false;
		monitor->last_taken = ktime_get();
		status = 0;
	}
	mutex_unlock(&monitor->lock);
	return status;
}

static int fake_master_xfer(struct i2c_adapter *adapter, struct i2c_msg *msgs, int num)
{
	struct fake_monitor *monitor = i2c_get_adapdata(adapter);
	int i, status;

	for (i = 0; i < num; i++) {
		if (msgs[i].addr != DDC_CI_ADDRESS)
			return -ENXIO;
		status = (msgs[i].flags & I2C_M_RD) ? answer_read(monitor, &msgs[i]) :
						      record_write(monitor, &msgs[i]);
		if (status)
			return status;
	}
	return num;
}

static u32 fake_functionality(struct i2c_adapter *adapter)
{
	return I2C_FUNC_I2C;
}

static const struct i2c_algorithm fake_algorithm = {
	.master_xfer = fake_master_xfer,
	.functionality = fake_functionality,
};

static struct fake_monitor *monitor_of(struct device *dev)
{
	return i2c_get_adapdata(to_i2c_adapter(dev));
}

static ssize_t writes_show(struct device *dev, struct device_attribute *attr, char *buf)
{
	struct fake_monitor *monitor = monitor_of(dev);
	ssize_t used = 0;
	unsigned int i, j;

	mutex_lock(&monitor->lock);
	for (i = 0; i < monitor->write_count; i++) {
		const struct recorded_write *entry = &monitor->writes[i];

		for (j = 0; j < entry->length; j++)
			used += sysfs_emit_at(buf, used, j ? " %02x" : "%02x", entry->bytes[j]);
		used += sysfs_emit_at(buf, used, "%s\n", entry->refused ? " refused" : "");
	}
	mutex_unlock(&monitor->lock);
	return used;
}

static ssize_t writes_store(struct device *dev, struct device_attribute *attr, const char *buf,
			    size_t count)
{
	struct fake_monitor *monitor = monitor_of(dev);

	mutex_lock(&monitor->lock);
	monitor->write_count = 0;
	monitor->last_taken = 0;
	monitor->reply_pending = false;
	mutex_unlock(&monitor->lock);
	return count;
}
static DEVICE_ATTR_RW(writes);

/* Either luminance attribute of a monitor, shown and set whole. */
#define LUMINANCE_ATTR(name)									\
static ssize_t name##_show(struct device *dev, struct device_attribute *attr, char *buf)	\
{												\
	return sysfs_emit(buf, "%u\n", READ_ONCE(monitor_of(dev)->name));			\
}												\
static ssize_t name##_store(struct device *dev, struct device_attribute *attr,		\
			    const char *buf, size_t count)					\
{												\
	u16 value;										\
	int status = kstrtou16(buf, 0, &value);							\
	if (!status)										\
		WRITE_ONCE(monitor_of(dev)->name, value);					\
	return status ?: count;									\
}												\
static DEVICE_ATTR_RW(name)

LUMINANCE_ATTR(level);
LUMINANCE_ATTR(maximum);

static struct attribute *fake_monitor_attrs[] = {
	&dev_attr_writes.attr,
	&dev_attr_level.attr,
	&dev_attr_maximum.attr,
	NULL,
};
ATTRIBUTE_GROUPS(fake_monitor);

static void unregister_first(unsigned int count)
{
	while (count > 0)
		i2c_del_adapter(&fake_monitors[--count].adapter);
}

static int register_monitor(struct fake_monitor *monitor, unsigned int index)
{
	struct i2c_adapter *adapter = &monitor->adapter;

	mutex_init(&monitor->lock);
	monitor->level = 50;
	monitor->maximum = 100;
	adapter->owner = THIS_MODULE;
	adapter->algo = &fake_algorithm;
	adapter->dev.groups = fake_monitor_groups;
	snprintf(adapter->name, sizeof(adapter->name), "glimmerbox fake monitor %u", index);
	i2c_set_adapdata(adapter, monitor);
	return i2c_add_adapter(adapter);
}

/* The backlight core keeps the brightness written to it; there is no light to drive. */
static int fake_panel_update_status(struct backlight_device *panel)
{
	return 0;
}

static const struct backlight_ops fake_panel_ops = { .update_status = fake_panel_update_status };
static const struct backlight_properties fake_panel_props = {
	.type = BACKLIGHT_RAW, .max_brightness = 1000, .brightness = 500
};

static int __init fake_monitor_init(void)
{
	unsigned int i;
	int status;

	for (i = 0; i < MONITORS; i++) {
		status = register_monitor(&fake_monitors[i], i);
		if (status) {
			unregister_first(i);
			return status;
		}
	}
	fake_panel = backlight_device_register("glimmerbox_panel", NULL, NULL, &fake_panel_ops,
					       &fake_panel_props);
	if (IS_ERR(fake_panel))
		unregister_first(MONITORS);
	return PTR_ERR_OR_ZERO(fake_panel);
}

static void __exit fake_monitor_exit(void)
{
	backlight_device_unregister(fake_panel);
	unregister_first(MONITORS);
}

module_init(fake_monitor_init);
module_exit(fake_monitor_exit);

MODULE_DESCRIPTION("Fake DDC/CI monitors on plain-I2C adapters and a fake backlight, for tests");
MODULE_LICENSE("GPL");
