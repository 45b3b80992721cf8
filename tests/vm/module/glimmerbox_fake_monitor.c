// SPDX-License-Identifier: GPL-2.0
/*
 * Fake DDC/CI monitors for the kernel integration tests.
 *
 * Registers two I2C adapters, one per monitor, each with a plain-I2C
 * master_xfer that takes only writes to the DDC/CI address 0x37 (i2c-stub
 * speaks SMBus only, and a DDC/CI packet is a plain I2C write). Every write is
 * recorded and can be read back from the adapter's sysfs directory:
 *
 *   writes       one line per write, oldest first, as hex bytes starting with
 *                the data address, "refused" appended when it was refused,
 *                "ignored" when it was acknowledged and dropped; writing
 *                anything clears the record
 *   refuse_next  how many of the next writes fail with -ENXIO, as a monitor
 *                that is busy or asleep does; write-only
 *   level        the level of the last accepted well-formed luminance
 *                command, or -1 when none arrived
 *
 * The module parameter "busy" gives every monitor a real monitor's busy
 * window: for 50 ms after it took a luminance command, any message is
 * refused with -ENXIO (busy=nak) or acknowledged and dropped (busy=ignore);
 * busy=none, the default, takes every message. Write-only, at any time.
 */

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
/* Data address, length byte, Set VCP opcode, luminance code, value, checksum. */
#define SET_LUMINANCE_LENGTH 7
#define MONITORS 2
/* How long a real monitor stays busy after a Set VCP Feature. */
#define BUSY_WINDOW_MS 50

enum busy_mode { BUSY_NONE, BUSY_NAK, BUSY_IGNORE };
enum write_outcome { WRITE_TAKEN, WRITE_REFUSED, WRITE_IGNORED };

struct recorded_write {
	u8 bytes[MAX_RECORDED_BYTES];
	u8 length;
	enum write_outcome outcome;
};

struct fake_monitor {
	struct i2c_adapter adapter;
	struct mutex lock; /* guards everything below */
	struct recorded_write writes[MAX_RECORDED_WRITES];
	unsigned int write_count;
	unsigned int refuse_next;
	int level;
	ktime_t last_taken; /* of the last luminance command taken */
	bool took_one;
};

static int busy = BUSY_NONE;
static const char *const busy_names[] = { "none", "nak", "ignore" };

static int busy_set(const char *value, const struct kernel_param *kp)
{
	int mode = sysfs_match_string(busy_names, value);

	if (mode < 0)
		return mode;
	WRITE_ONCE(busy, mode);
	return 0;
}

static const struct kernel_param_ops busy_ops = {
	.set = busy_set,
};
module_param_cb(busy, &busy_ops, NULL, 0200);
MODULE_PARM_DESC(busy, "none, nak or ignore: what a monitor does with a message in its busy window");

static struct fake_monitor fake_monitors[MONITORS];

static u8 ddc_checksum(const u8 *bytes, unsigned int count)
{
	u8 sum = DDC_CI_ADDRESS << 1; /* the 8-bit write address 0x6E */
	unsigned int i;

	for (i = 0; i < count; i++)
		sum ^= bytes[i];
	return sum;
}

/* A well-formed Set VCP Feature for luminance: 51 84 03 10 00 level sum. */
static int luminance_of(const u8 *bytes, unsigned int length)
{
	if (length != SET_LUMINANCE_LENGTH || bytes[0] != 0x51 || bytes[1] != 0x84 ||
	    bytes[2] != 0x03 || bytes[3] != 0x10 || bytes[4] != 0x00)
		return -1;
	if (ddc_checksum(bytes, length - 1) != bytes[length - 1])
		return -1;
	return bytes[5];
}

/* What the monitor does with a message arriving now; called with its lock held. */
static enum write_outcome outcome_of(struct fake_monitor *monitor)
{
	int mode = READ_ONCE(busy);

	if (monitor->refuse_next > 0) {
		monitor->refuse_next--;
		return WRITE_REFUSED;
	}
	if (mode == BUSY_NONE || !monitor->took_one ||
	    ktime_ms_delta(ktime_get(), monitor->last_taken) >= BUSY_WINDOW_MS)
		return WRITE_TAKEN;
	return mode == BUSY_NAK ? WRITE_REFUSED : WRITE_IGNORED;
}

static int record_write(struct fake_monitor *monitor, const struct i2c_msg *msg)
{
	struct recorded_write *entry;
	int level = luminance_of(msg->buf, msg->len);
	enum write_outcome outcome;

	mutex_lock(&monitor->lock);
	outcome = outcome_of(monitor);
	if (monitor->write_count < MAX_RECORDED_WRITES) {
		entry = &monitor->writes[monitor->write_count++];
		entry->length = min_t(u16, msg->len, MAX_RECORDED_BYTES);
		memcpy(entry->bytes, msg->buf, entry->length);
		entry->outcome = outcome;
	}
	if (outcome == WRITE_TAKEN && level >= 0) {
		monitor->level = level;
		monitor->last_taken = ktime_get();
		monitor->took_one = true;
	}
	mutex_unlock(&monitor->lock);
	return outcome == WRITE_REFUSED ? -ENXIO : 0;
}

static int fake_master_xfer(struct i2c_adapter *adapter, struct i2c_msg *msgs, int num)
{
	struct fake_monitor *monitor = i2c_get_adapdata(adapter);
	int i, status;

	for (i = 0; i < num; i++) {
		if (msgs[i].addr != DDC_CI_ADDRESS || (msgs[i].flags & I2C_M_RD))
			return -ENXIO;
		status = record_write(monitor, &msgs[i]);
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

static const char *const outcome_suffixes[] = { "", " refused", " ignored" };

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
		used += sysfs_emit_at(buf, used, "%s\n", outcome_suffixes[entry->outcome]);
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
	monitor->level = -1;
	monitor->took_one = false;
	mutex_unlock(&monitor->lock);
	return count;
}
static DEVICE_ATTR_RW(writes);

static ssize_t refuse_next_store(struct device *dev, struct device_attribute *attr,
				 const char *buf, size_t count)
{
	struct fake_monitor *monitor = monitor_of(dev);
	unsigned int value;
	int status = kstrtouint(buf, 0, &value);

	if (status)
		return status;
	mutex_lock(&monitor->lock);
	monitor->refuse_next = value;
	mutex_unlock(&monitor->lock);
	return count;
}
static DEVICE_ATTR_WO(refuse_next);

static ssize_t level_show(struct device *dev, struct device_attribute *attr, char *buf)
{
	struct fake_monitor *monitor = monitor_of(dev);
	int value;

	mutex_lock(&monitor->lock);
	value = monitor->level;
	mutex_unlock(&monitor->lock);
	return sysfs_emit(buf, "%d\n", value);
}
static DEVICE_ATTR_RO(level);

static struct attribute *fake_monitor_attrs[] = {
	&dev_attr_writes.attr,
	&dev_attr_refuse_next.attr,
	&dev_attr_level.attr,
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
	monitor->level = -1;
	adapter->owner = THIS_MODULE;
	adapter->algo = &fake_algorithm;
	adapter->dev.groups = fake_monitor_groups;
	snprintf(adapter->name, sizeof(adapter->name), "glimmerbox fake monitor %u", index);
	i2c_set_adapdata(adapter, monitor);
	return i2c_add_adapter(adapter);
}

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
	return 0;
}

static void __exit fake_monitor_exit(void)
{
	unregister_first(MONITORS);
}

module_init(fake_monitor_init);
module_exit(fake_monitor_exit);

MODULE_DESCRIPTION("Fake DDC/CI monitors on plain-I2C adapters, for tests");
MODULE_LICENSE("GPL");
